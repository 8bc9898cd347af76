# The program's sources that need no windows.h. framework/CMakeLists.txt gathers every layer's list
# into the pppure library, which is also built natively for the sanitizer and fuzz runs: keep
# Windows headers out of these files.
list(APPEND PP_PURE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/TargetEntry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferRequest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/WindowPlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/SkinChoice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferUndo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TransferChoice.cpp
)
list(APPEND PP_PURE_INCLUDE_DIRS ${CMAKE_CURRENT_LIST_DIR})
