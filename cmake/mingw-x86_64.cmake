# Cross build for 64-bit Windows, for the benchmarks only (scripts/benchmark.sh with
# TK_BENCH_ARCH=x86_64): the same sources and options as cmake/mingw-i686.cmake, for
# machines that run 64-bit Windows code only. The released program stays 32-bit.
set(CMAKE_SYSTEM_NAME Windows)
set(CMAKE_SYSTEM_PROCESSOR x86_64)
set(TOOLCHAIN_PREFIX x86_64-w64-mingw32)
if(NOT TK_THREAD_MODEL)
    set(TK_THREAD_MODEL win32)
endif()
set(CMAKE_C_COMPILER ${TOOLCHAIN_PREFIX}-gcc-${TK_THREAD_MODEL})
set(CMAKE_CXX_COMPILER ${TOOLCHAIN_PREFIX}-g++-${TK_THREAD_MODEL})
set(CMAKE_RC_COMPILER ${TOOLCHAIN_PREFIX}-windres)
set(CMAKE_FIND_ROOT_PATH /usr/${TOOLCHAIN_PREFIX})
set(CMAKE_FIND_ROOT_PATH_MODE_PROGRAM NEVER)
set(CMAKE_FIND_ROOT_PATH_MODE_LIBRARY ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_INCLUDE ONLY)
set(CMAKE_FIND_ROOT_PATH_MODE_PACKAGE ONLY)
set(ZLIB_USE_STATIC_LIBS ON)
