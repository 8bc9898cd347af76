# Sources that need no windows.h. They form the pppure library, which is also built natively
# for the sanitizer and fuzz runs, so keep Windows headers out of them.
set(PP_PURE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/BmpCodec.cpp
    ${CMAKE_CURRENT_LIST_DIR}/GlyphLayout.cpp
    ${CMAKE_CURRENT_LIST_DIR}/NumberText.cpp
    ${CMAKE_CURRENT_LIST_DIR}/TextLines.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../controls/DropFilesBlock.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../controls/ItemsPanelGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/TargetEntry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/TransferRequest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/WindowPlacement.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/SkinChoice.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinConvert.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/SkinArchive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSkinIni.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSkinFormGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSubClassGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSubClassBarGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/ControlDiscoveryRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSkinMenuGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSubClassComboGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSubClassTabGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/WinSubClassScrollGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../skin/SkinContrast.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/TransferUndo.cpp
    ${CMAKE_CURRENT_LIST_DIR}/../app/TransferChoice.cpp
)
