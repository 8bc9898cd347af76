# Test helpers. Googletest is built from source with the same compiler as the code under test
# (the Debian package only ships sources for the cross build anyway).
include_guard(GLOBAL)

set(PP_GTEST_SOURCE_DIR "/usr/src/googletest" CACHE PATH "Googletest source tree")
if(NOT EXISTS "${PP_GTEST_SOURCE_DIR}/CMakeLists.txt")
    message(FATAL_ERROR "googletest sources not found in ${PP_GTEST_SOURCE_DIR}; run scripts/setup.sh")
endif()

# No test uses gmock: it is not built.
set(BUILD_GMOCK OFF CACHE BOOL "" FORCE)
set(INSTALL_GTEST OFF CACHE BOOL "" FORCE)
set(BUILD_SHARED_LIBS OFF)
set(gtest_force_shared_crt ON CACHE BOOL "" FORCE)
add_subdirectory("${PP_GTEST_SOURCE_DIR}" "${CMAKE_BINARY_DIR}/googletest" EXCLUDE_FROM_ALL)

enable_testing()

# The tests' own sources are mostly test macros: -O1 compiles them in about two thirds of the time
# of -O3 and runs them as fast (their time goes to the code under test and to Wine).
function(pp_test_code_options target)
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE $<$<NOT:$<CONFIG:Debug>>:-O1>)
    endif()
endfunction()

# pp_display_test(<test>): the test needs a display to itself. scripts/wine-run runs such tests one
# at a time on a display, or, under `make test`, one on each of its displays ("lanes", each with its
# own Wine prefix); a test waiting for a free display waits within its own timeout.
function(pp_display_test test)
    set_property(TEST ${test} APPEND PROPERTY ENVIRONMENT "PP_UI_TEST=1")
endfunction()

# pp_add_test(NAME <name> SOURCES <src>... [LIBS <lib>...] [TIMEOUT <seconds>] [UI] [PURE])
#
# One executable linked with gtest_main, registered as one ctest test.
# In a Windows build ctest runs it through scripts/wine-run (the cross-compiling emulator).
# TIMEOUT defaults to 120 s so a stuck message loop fails the run instead of hanging it.
# UI: the test depends on focus, activation or what is on screen; such tests take turns on a
# display (pp_display_test) while the others run alongside.
# PURE: the sources need no windows.h and do not get the tests' precompiled header (pptestpch,
# made in tests/CMakeLists.txt), which carries it.
function(pp_add_test)
    cmake_parse_arguments(PARSE_ARGV 0 ARG "UI;PURE" "NAME;TIMEOUT" "SOURCES;LIBS")
    if(NOT ARG_NAME OR NOT ARG_SOURCES)
        message(FATAL_ERROR "pp_add_test needs NAME and SOURCES")
    endif()
    if(NOT ARG_TIMEOUT)
        set(ARG_TIMEOUT 120)
    endif()

    add_executable(${ARG_NAME} ${ARG_SOURCES})
    target_link_libraries(${ARG_NAME} PRIVATE ${ARG_LIBS} GTest::gtest GTest::gtest_main)
    pp_test_code_options(${ARG_NAME})
    if(NOT ARG_PURE)
        pp_use_precompiled(${ARG_NAME} pptestpch)
    endif()
    set_target_properties(${ARG_NAME} PROPERTIES RUNTIME_OUTPUT_DIRECTORY "${CMAKE_BINARY_DIR}/tests/bin")

    add_test(NAME ${ARG_NAME} COMMAND ${ARG_NAME})
    set_tests_properties(${ARG_NAME} PROPERTIES
        TIMEOUT ${ARG_TIMEOUT}
        ENVIRONMENT "PP_BUILD_DIR=${CMAKE_BINARY_DIR}")
    if(ARG_UI)
        pp_display_test(${ARG_NAME})
    endif()
endfunction()
