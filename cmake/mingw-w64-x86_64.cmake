# Cross-building for 64-bit Windows with Debian's mingw-w64 (POSIX threads flavour), the
# programs and tests run under wine. Used by scripts/test-windows:
#   cmake -S . -B build/windows -DCMAKE_TOOLCHAIN_FILE=cmake/mingw-w64-x86_64.cmake ...
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)

set(DVDSP_MINGW_TRIPLET x86_64-w64-mingw32)
set(CMAKE_C_COMPILER ${DVDSP_MINGW_TRIPLET}-gcc-posix)
set(CMAKE_CXX_COMPILER ${DVDSP_MINGW_TRIPLET}-g++-posix)
set(CMAKE_RC_COMPILER ${DVDSP_MINGW_TRIPLET}-windres)

set(CMAKE_FIND_ROOT_PATH /usr/${DVDSP_MINGW_TRIPLET})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

# Every program stands alone: the C and C++ runtimes and winpthread are linked in, so no
# DLL of the cross compiler has to be found when it runs.
set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")

# Test programs (and GoogleTest's listing of their cases) run under wine.
find_program(DVDSP_WINE NAMES wine64 wine PATHS /usr/lib/wine /usr/lib64/wine NO_CMAKE_FIND_ROOT_PATH)
if(DVDSP_WINE)
  set(CMAKE_CROSSCOMPILING_EMULATOR ${DVDSP_WINE})
endif()
