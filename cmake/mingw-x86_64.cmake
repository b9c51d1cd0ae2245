# The same cross build for 64-bit Windows, for the benchmarks only (scripts/benchmark.sh
# with TK_BENCH_ARCH=x86_64), on machines that run 64-bit Windows code only. Needs Debian's
# g++-mingw-w64-x86-64-win32. The released program stays 32-bit.
set(TK_MINGW_PROCESSOR x86_64)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
