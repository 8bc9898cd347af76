# Precompiled headers for the Windows build. windows.h, googletest and the standard library are
# most of what a source file costs to compile (a test file spends about seven of its ten seconds
# parsing them); each is parsed once per build instead, into a header that a group of targets with
# the same compile options shares. The native build has none: its pure code must compile without
# windows.h, and it is small.
include_guard(GLOBAL)

option(PP_PRECOMPILED_HEADERS "Share precompiled system headers among the Windows build's targets" ON)

# pp_add_precompiled(<name> HEADERS <header>... [LIBS <lib>...] [OPTIONS <option>...])
#
# An object library that only makes the precompiled header of <header>...; LIBS and OPTIONS give
# it the compile options of the targets that will reuse it (pp_use_precompiled).
function(pp_add_precompiled name)
    cmake_parse_arguments(PARSE_ARGV 1 ARG "" "" "HEADERS;LIBS;OPTIONS")
    if(NOT PP_PRECOMPILED_HEADERS)
        return()
    endif()
    set(anchor "${CMAKE_CURRENT_BINARY_DIR}/${name}.cpp")
    if(NOT EXISTS "${anchor}")
        file(WRITE "${anchor}" "// Compiles the precompiled header and nothing else.\n")
    endif()
    add_library(${name} OBJECT "${anchor}")
    target_link_libraries(${name} PRIVATE ${ARG_LIBS})
    target_compile_options(${name} PRIVATE ${ARG_OPTIONS})
    target_precompile_headers(${name} PRIVATE ${ARG_HEADERS})
endfunction()

# pp_use_precompiled(<target> <name>): <target> reuses the precompiled header of <name>. A header
# the compiler cannot use (options that differ) fails the build instead of silently compiling
# every file the slow way.
function(pp_use_precompiled target name)
    if(NOT PP_PRECOMPILED_HEADERS OR NOT TARGET ${name})
        return()
    endif()
    target_precompile_headers(${target} REUSE_FROM ${name})
    if(CMAKE_CXX_COMPILER_ID MATCHES "GNU|Clang")
        target_compile_options(${target} PRIVATE -Winvalid-pch)
    endif()
endfunction()
