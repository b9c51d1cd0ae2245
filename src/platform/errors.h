#pragma once
// How the platform interfaces report the outcome of a call into the system, and the few
// error numbers the installer's logic tells apart by name.
#include <cstdint>

namespace tk::platform {

// Success, or the system's number for why a call failed: a Win32 error (registry calls
// included), or an HRESULT where the call is a COM one.
class Status {
public:
    constexpr Status() = default;
    constexpr explicit Status(std::uint32_t error) : error_(error) {}
    constexpr bool ok() const { return error_ == 0; }
    constexpr explicit operator bool() const { return ok(); }
    constexpr std::uint32_t error() const { return error_; }
    constexpr bool operator==(const Status&) const = default;

private:
    std::uint32_t error_ = 0;
};

// ERROR_FILE_NOT_FOUND (also a registry key or value that is not there).
inline constexpr Status kNotFound{2};
// ERROR_ACCESS_DENIED, and SE_ERR_ACCESSDENIED of ShellExecuteA, which is the same number.
inline constexpr Status kAccessDenied{5};
inline constexpr Status kAlreadyExists{183};  // ERROR_ALREADY_EXISTS

// ShellExecuteA's value as a status: above 32 is success, and 0 (out of memory or
// resources) becomes ERROR_NOT_ENOUGH_MEMORY.
constexpr Status StatusOfShellExecute(std::intptr_t value) {
    return value > 32 ? Status() : Status(value == 0 ? 8u : static_cast<std::uint32_t>(value));
}

}  // namespace tk::platform
