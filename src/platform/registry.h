#pragma once
// The ANSI registry functions, opened with full access and no view flag.
#include <cstdint>
#include <string>

#include "platform/errors.h"

namespace tk::platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry {
public:
    using Key = std::uintptr_t;  // an open key; 0 is never a valid key
    virtual ~Registry() = default;

    // RegCreateKeyExA with REG_OPTION_NON_VOLATILE and KEY_ALL_ACCESS.
    virtual Status CreateKey(RegistryRoot root, const std::string& path, Key& key) = 0;
    // RegOpenKeyExA with KEY_ALL_ACCESS; never creates the key.
    virtual Status OpenKey(RegistryRoot root, const std::string& path, Key& key) = 0;
    // REG_SZ with the terminating zero counted.
    virtual Status SetString(Key key, const std::string& name, const std::string& value) = 0;
    // REG_DWORD, four bytes little-endian.
    virtual Status SetDword(Key key, const std::string& name, std::uint32_t value) = 0;
    // RegQueryValueExA without a buffer: success when the value exists.
    virtual Status QueryValue(Key key, const std::string& name) = 0;
    // RegQueryValueExA of a REG_SZ value, without its terminating zero.
    virtual Status GetString(Key key, const std::string& name, std::string& value) = 0;
    virtual Status DeleteValue(Key key, const std::string& name) = 0;
    virtual void CloseKey(Key key) = 0;
};

// Closes a key that was opened through a Registry when it goes out of scope.
class OpenedKey {
public:
    OpenedKey(Registry& registry, Registry::Key key) : registry_(registry), key_(key) {}
    ~OpenedKey() { registry_.CloseKey(key_); }
    OpenedKey(const OpenedKey&) = delete;
    OpenedKey& operator=(const OpenedKey&) = delete;
    Registry::Key get() const { return key_; }

private:
    Registry& registry_;
    Registry::Key key_;
};

}  // namespace tk::platform
