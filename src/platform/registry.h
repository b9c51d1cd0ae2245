#pragma once
// The ANSI registry functions, opened with full access and no view flag.
#include <cstdint>
#include <string>
#include <utility>

#include "platform/errors.h"

namespace tk::platform {

enum class RegistryRoot { CurrentUser, LocalMachine };

class Registry;

// An open key of a Registry, closed once by its last owner: moved, never copied. Empty when
// the open failed, and after a move.
class RegistryKey {
public:
    RegistryKey() = default;
    RegistryKey(Registry& registry, std::uintptr_t handle)
        : registry_(&registry), handle_(handle) {}
    RegistryKey(RegistryKey&& other) noexcept
        : registry_(other.registry_), handle_(std::exchange(other.handle_, 0)) {}
    RegistryKey& operator=(RegistryKey&& other) noexcept {
        if (this != &other) {
            Close();
            registry_ = other.registry_;
            handle_ = std::exchange(other.handle_, 0);
        }
        return *this;
    }
    RegistryKey(const RegistryKey&) = delete;
    RegistryKey& operator=(const RegistryKey&) = delete;
    ~RegistryKey() { Close(); }

    explicit operator bool() const { return handle_ != 0; }
    // The registry's own value for the key; 0 when there is none.
    std::uintptr_t Handle() const { return handle_; }

private:
    void Close();
    Registry* registry_ = nullptr;
    std::uintptr_t handle_ = 0;
};

// What an open gives: the key, or none and the status that says why.
struct OpenedKey {
    RegistryKey key;
    Status status;
};

class Registry {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~Registry() = default;

public:
    // RegCreateKeyExA with REG_OPTION_NON_VOLATILE and KEY_ALL_ACCESS.
    virtual OpenedKey CreateKey(RegistryRoot root, const std::string& path) = 0;
    // RegOpenKeyExA with KEY_ALL_ACCESS; never creates the key.
    virtual OpenedKey OpenKey(RegistryRoot root, const std::string& path) = 0;
    // REG_SZ with the terminating zero counted.
    virtual Status SetString(const RegistryKey& key, const std::string& name,
                             const std::string& value) = 0;
    // REG_DWORD, four bytes little-endian.
    virtual Status SetDword(const RegistryKey& key, const std::string& name,
                            std::uint32_t value) = 0;
    // RegQueryValueExA without a buffer: success when the value exists.
    virtual Status QueryValue(const RegistryKey& key, const std::string& name) = 0;
    // RegQueryValueExA of a REG_SZ value, without its terminating zero.
    virtual Status GetString(const RegistryKey& key, const std::string& name,
                             std::string& value) = 0;
    virtual Status DeleteValue(const RegistryKey& key, const std::string& name) = 0;

protected:
    friend class RegistryKey;
    // Closes a key that CreateKey or OpenKey handed out; its RegistryKey calls it, once.
    virtual void CloseKey(std::uintptr_t handle) = 0;
};

inline void RegistryKey::Close() {
    if (handle_ != 0) {
        registry_->CloseKey(std::exchange(handle_, 0));
    }
}

}  // namespace tk::platform
