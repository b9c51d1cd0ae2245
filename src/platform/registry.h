#pragma once
// The ANSI registry functions, opened with full access and no view flag.
#include <cstdint>
#include <string>

namespace tk::platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry {
public:
    using Key = std::uintptr_t;  // an open key; 0 is never a valid key
    virtual ~Registry() = default;

    // RegCreateKeyExA with REG_OPTION_NON_VOLATILE and KEY_ALL_ACCESS; a Win32 status.
    virtual long CreateKey(RegistryRoot root, const std::string& path, Key& key) = 0;
    // RegOpenKeyExA with KEY_ALL_ACCESS; never creates the key.
    virtual long OpenKey(RegistryRoot root, const std::string& path, Key& key) = 0;
    // REG_SZ with the terminating zero counted.
    virtual long SetString(Key key, const std::string& name, const std::string& value) = 0;
    // REG_DWORD, four bytes little-endian.
    virtual long SetDword(Key key, const std::string& name, std::uint32_t value) = 0;
    // RegQueryValueExA without a buffer: ERROR_SUCCESS when the value exists.
    virtual long QueryValue(Key key, const std::string& name) = 0;
    virtual long DeleteValue(Key key, const std::string& name) = 0;
    virtual void CloseKey(Key key) = 0;
};

}  // namespace tk::platform
