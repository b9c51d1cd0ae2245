# Cross build for 32-bit Windows with Debian's MinGW-w64, win32 thread model: its runtime
# needs nothing newer than Windows XP (the posix thread model's winpthreads imports
# GetTickCount64, which Windows gained with Vista). The GoogleTest suites need the posix
# model's std::mutex and are built with cmake/mingw-i686-posix.cmake in a sub-build.
# cmake/mingw-x86_64.cmake reuses this file for 64-bit builds (TK_MINGW_PROCESSOR).
set(CMAKE_SYSTEM_NAME Windows)
if(NOT TK_MINGW_PROCESSOR)
    set(TK_MINGW_PROCESSOR i686)
endif()
set(CMAKE_SYSTEM_PROCESSOR ${TK_MINGW_PROCESSOR})
set(TOOLCHAIN_PREFIX ${TK_MINGW_PROCESSOR}-w64-mingw32)
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
