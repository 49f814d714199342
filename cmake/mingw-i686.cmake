# Cross toolchain for the Windows program: mingw-w64, posix thread model (GoogleTest needs std::mutex),
# everything linked statically so an exe needs no DLL beyond Windows' own.
# The product is the 32-bit (i686) build. The same sources also build for x86_64 with
# -DARBOLIN_WIN_ARCH=x86_64: that build runs its tests under 64-bit Wine (see tests/win/wine-notes.md).
set(ARBOLIN_WIN_ARCH i686 CACHE STRING "mingw-w64 target: i686 (the product) or x86_64 (tests under wine64)")
set_property(CACHE ARBOLIN_WIN_ARCH PROPERTY STRINGS i686 x86_64)

set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR ${ARBOLIN_WIN_ARCH})
set(TOOLCHAIN_PREFIX ${ARBOLIN_WIN_ARCH}-w64-mingw32)
set(CMAKE_C_COMPILER   ${TOOLCHAIN_PREFIX}-gcc-posix)
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-posix)
set(CMAKE_RC_COMPILER  ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)

set(CMAKE_EXE_LINKER_FLAGS_INIT "-static -static-libgcc -static-libstdc++")
# Resource scripts are UTF-8; windres must not read them as cp1252 (or as cp932: 0x5C trail bytes).
set(CMAKE_RC_FLAGS_INIT "-c 65001")

# Test executables run through this wrapper (wine64 for x86_64; see tests/win/wine-run.sh).
set(CMAKE_CROSSCOMPILING_EMULATOR ${CMAKE_CURRENT_LIST_DIR}/../tests/win/wine-run.sh)
