# Cross build for 64-bit Windows with Debian's MinGW-w64 (POSIX threads
# variant: std::thread and std::mutex need it). Programs are linked
# statically, so they run without the compiler's DLLs beside them, and the
# tests run under wine64 when it is installed.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(_triple x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${_triple}-gcc-posix)
set(CMAKE_CXX_COMPILER ${_triple}-g++-posix)
set(CMAKE_RC_COMPILER ${_triple}-windres)

# Headers and libraries come from the MinGW root only: the build machine's
# /usr/include holds Linux headers. Programs (python, wine) are the build
# machine's.
set(CMAKE_FIND_ROOT_PATH /usr/${_triple})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static")
# Release programs go without their symbols: a third of the size.
set(CMAKE_EXE_LINKER_FLAGS_RELEASE_INIT "-s")

# Header-only libraries and test sources the build machine has, which the
# build compiles with this compiler.
set(QUORVANE_CLI11_HEADERS /usr/include/CLI CACHE PATH "CLI11's headers (the folder named CLI)")
set(QUORVANE_GTEST_SOURCE /usr/src/googletest CACHE PATH "GoogleTest's sources, built with this compiler")

find_program(QUORVANE_WINE NAMES wine64 wine PATHS /usr/lib/wine)
if(QUORVANE_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${QUORVANE_WINE})
endif()

# Tests are listed when CTest runs them, not after every link: a build
# machine without wine still builds, and a build does not start wine.
set(CMAKE_GTEST_DISCOVER_TESTS_DISCOVERY_MODE PRE_TEST)
