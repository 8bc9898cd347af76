# The skin engine's sources that need no windows.h. framework/CMakeLists.txt gathers every layer's list
# into the pppure library, which is also built natively for the sanitizer and fuzz runs: keep
# Windows headers out of these files.
list(APPEND PP_PURE_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/data/WinConvert.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data/SkinArchive.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data/WinSkinIni.cpp
    ${CMAKE_CURRENT_LIST_DIR}/frame/WinSkinFormGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassBarGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassMediaGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/ControlDiscoveryRules.cpp
    ${CMAKE_CURRENT_LIST_DIR}/menus/WinSkinMenuGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassComboGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassTabGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/WinSubClassScrollGeometry.cpp
    ${CMAKE_CURRENT_LIST_DIR}/data/SkinContrast.cpp
)
list(APPEND PP_PURE_INCLUDE_DIRS
    ${CMAKE_CURRENT_LIST_DIR}/data
    ${CMAKE_CURRENT_LIST_DIR}/frame
    ${CMAKE_CURRENT_LIST_DIR}/menus
    ${CMAKE_CURRENT_LIST_DIR}/controls)
