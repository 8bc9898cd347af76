# Cross toolchain: 64-bit Windows executables built with Debian's MinGW-w64 (posix thread model,
# so std::thread and std::mutex work) and run by ctest through Wine.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(PP_MINGW_TRIPLE x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${PP_MINGW_TRIPLE}-gcc-posix)
set(CMAKE_CXX_COMPILER ${PP_MINGW_TRIPLE}-g++-posix)
set(CMAKE_RC_COMPILER ${PP_MINGW_TRIPLE}-windres)
set(CMAKE_AR ${PP_MINGW_TRIPLE}-ar CACHE FILEPATH "")
set(CMAKE_RANLIB ${PP_MINGW_TRIPLE}-ranlib CACHE FILEPATH "")

set(CMAKE_FIND_ROOT_PATH /usr/${PP_MINGW_TRIPLE})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every test and benchmark exe goes through this launcher; it derives the Wine prefix from the
# build tree (PP_BUILD_DIR, set per test, or the nearest CMakeCache.txt above the working dir).
get_filename_component(PP_WINE_RUN "${CMAKE_CURRENT_LIST_DIR}/../scripts/wine-run" ABSOLUTE)
set(CMAKE_CROSSCOMPILING_EMULATOR "${PP_WINE_RUN}")
