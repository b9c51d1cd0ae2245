# The same cross build with the posix thread model (std::mutex, std::condition_variable),
# for the GoogleTest suites only; with -static they still import only system DLLs.
set(TK_THREAD_MODEL posix)
include(${CMAKE_CURRENT_LIST_DIR}/mingw-i686.cmake)
