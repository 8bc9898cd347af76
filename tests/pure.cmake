# Test sources that need no windows.h. They run natively under the sanitizers (make native-test)
# and, in the Windows build, as part of pure_tests.exe under Wine.
set(PP_PURE_TEST_SOURCES
    ${CMAKE_CURRENT_LIST_DIR}/framework/TextLinesTest.cpp
)
