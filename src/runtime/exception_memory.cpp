// The memory of a thrown exception, taken from the heap as the C++ library takes it, but
// without the library's emergency pool for a heap that is full: the pool's allocator, its
// lock and their error types stay out of the program (about 1.5 KiB). With no memory left
// for an exception the program ends, as the library's does once its pool is spent too.
#include <cstdlib>
#include <cstring>
#include <exception>

namespace {

// The library's header in front of every thrown object (__cxa_refcounted_exception): its
// size as this compiler's libstdc++ lays it out, which the build reads from the library's
// own __cxa_allocate_exception (cmake/windows.cmake).
#ifndef TK_EXCEPTION_HEADER_SIZE
#error "TK_EXCEPTION_HEADER_SIZE: the size of the C++ library's exception header"
#endif
constexpr std::size_t kHeaderSize = TK_EXCEPTION_HEADER_SIZE;

}  // namespace

extern "C" void* __cxa_allocate_exception(std::size_t size) noexcept {
    void* memory = std::malloc(size + kHeaderSize);
    if (memory == nullptr) {
        std::terminate();
    }
    std::memset(memory, 0, kHeaderSize);
    return static_cast<char*>(memory) + kHeaderSize;
}

extern "C" void __cxa_free_exception(void* thrown) noexcept {
    std::free(static_cast<char*>(thrown) - kHeaderSize);
}
