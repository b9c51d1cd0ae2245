// The C++ library's error raisers, defined by the program itself. The library's own throw
// std::logic_error, std::runtime_error and their kin, which keep their message in a second,
// reference-counted string implementation of the library's: linking them costs the program
// about 45 KiB. These throw one light std::exception with the library's message instead
// (for a formatted range error, the name of the function that found it); the allocation and
// cast errors keep their own types. Every handler in the program catches std::exception or
// std::bad_alloc, so each error is handled where it was before.
#include <bits/functexcept.h>

#include <cstdarg>
#include <cstring>
#include <exception>
#include <new>
#include <typeinfo>

namespace tk::runtime {
namespace {

class LibraryError final : public std::exception {
public:
    // Keeps the message up to its first ": " (a range error's details follow it; the "::"
    // of a function's name stays).
    explicit LibraryError(const char* message) {
        for (std::size_t i = 0; message[i] != '\0' && i + 1 < sizeof text_; ++i) {
            if (message[i] == ':' && message[i + 1] == ' ') {
                break;
            }
            text_[i] = message[i];
        }
    }
    const char* what() const noexcept override { return text_; }

private:
    char text_[96] = {};
};

}  // namespace
}  // namespace tk::runtime

namespace std {

void __throw_bad_exception() {
    throw bad_exception();
}
void __throw_bad_alloc() {
    throw bad_alloc();
}
void __throw_bad_array_new_length() {
    throw bad_array_new_length();
}
void __throw_bad_cast() {
    throw bad_cast();
}
void __throw_bad_typeid() {
    throw bad_typeid();
}
// The errors that carry a message all become the one light error.
#define TK_LIBRARY_ERROR_RAISER(kind)             \
    void __throw_##kind(const char* message) {    \
        throw tk::runtime::LibraryError(message); \
    }
TK_LIBRARY_ERROR_RAISER(logic_error)
TK_LIBRARY_ERROR_RAISER(domain_error)
TK_LIBRARY_ERROR_RAISER(invalid_argument)
TK_LIBRARY_ERROR_RAISER(length_error)
TK_LIBRARY_ERROR_RAISER(out_of_range)
TK_LIBRARY_ERROR_RAISER(runtime_error)
TK_LIBRARY_ERROR_RAISER(range_error)
TK_LIBRARY_ERROR_RAISER(overflow_error)
TK_LIBRARY_ERROR_RAISER(underflow_error)
#undef TK_LIBRARY_ERROR_RAISER

void __throw_out_of_range_fmt(const char* format, ...) {
    // A format that starts with "%s" takes the function's name as its first argument;
    // the others start with the name.
    const char* name = format;
    if (std::strncmp(format, "%s", 2) == 0) {
        va_list arguments;
        va_start(arguments, format);
        name = va_arg(arguments, const char*);
        va_end(arguments);
    }
    throw tk::runtime::LibraryError(name);
}

}  // namespace std
