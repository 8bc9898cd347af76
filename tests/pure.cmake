# Test sources that need no windows.h. They run natively under the sanitizers (make native-test)
# and, in the Windows build, as part of pure_tests.exe under Wine.
set(PP_PURE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/framework/BmpCodecTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/GlyphLayoutTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/NumberTextTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/framework/TextLinesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/DropFilesBlockTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/controls/ItemsPanelGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/TargetEntryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/TransferRequestTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/WindowPlacementTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/LzhCodecTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/SkinArchiveTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/QuickIniTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSkinFormGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSubClassGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSubClassBarGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/ControlDiscoveryRulesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSkinMenuGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSubClassComboGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSubClassTabGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/WinSubClassScrollGeometryTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/SkinContrastTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/skin/HostileSkinValuesTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/TransferUndoTest.cpp
    ${CMAKE_CURRENT_LIST_DIR}/app/TransferChoiceTest.cpp
)
