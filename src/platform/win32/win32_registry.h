#pragma once
#include "platform/registry.h"

namespace tk::platform::win32 {

class Win32Registry final : public Registry {
public:
    OpenedKey CreateKey(RegistryRoot root, const std::string& path) override;
    OpenedKey OpenKey(RegistryRoot root, const std::string& path) override;
    Status SetString(const RegistryKey& key, const std::string& name,
                     const std::string& value) override;
    Status SetDword(const RegistryKey& key, const std::string& name, std::uint32_t value) override;
    Status QueryValue(const RegistryKey& key, const std::string& name) override;
    Status GetString(const RegistryKey& key, const std::string& name, std::string& value) override;
    Status DeleteValue(const RegistryKey& key, const std::string& name) override;

private:
    void CloseKey(std::uintptr_t handle) override;
};

}  // namespace tk::platform::win32
