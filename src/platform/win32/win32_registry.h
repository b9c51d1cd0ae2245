#pragma once
#include "platform/registry.h"

namespace tk::platform::win32 {

class Win32Registry final : public Registry {
public:
    Status CreateKey(RegistryRoot root, const std::string& path, Key& key) override;
    Status OpenKey(RegistryRoot root, const std::string& path, Key& key) override;
    Status SetString(Key key, const std::string& name, const std::string& value) override;
    Status SetDword(Key key, const std::string& name, std::uint32_t value) override;
    Status QueryValue(Key key, const std::string& name) override;
    Status GetString(Key key, const std::string& name, std::string& value) override;
    Status DeleteValue(Key key, const std::string& name) override;
    void CloseKey(Key key) override;
};

}  // namespace tk::platform::win32
