# libFuzzer targets over the pure code, one executable per source (named after the file).
# Built only in the host fuzz configuration (make fuzz).
set(PP_FUZZ_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BmpCodecFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SplitLinesFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/LzhDecodeFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinArchiveFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/QuickIniFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/FrameGeometryFuzz.cpp
    ${CMAKE_CURRENT_LIST_DIR}/DropFilesBlockFuzz.cpp
)
