#pragma once
#include "platform/registry.h"

namespace tk::platform::win32 {

class Win32Registry final : public Registry {
public:
    long CreateKey(RegistryRoot root, const std::string& path, Key& key) override;
    long OpenKey(RegistryRoot root, const std::string& path, Key& key) override;
    long SetString(Key key, const std::string& name, const std::string& value) override;
    long SetDword(Key key, const std::string& name, std::uint32_t value) override;
    long QueryValue(Key key, const std::string& name) override;
    long DeleteValue(Key key, const std::string& name) override;
    void CloseKey(Key key) override;
};

}  // namespace tk::platform::win32
