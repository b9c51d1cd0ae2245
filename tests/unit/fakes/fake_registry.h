#pragma once
// An in-memory registry that records every call in order. Keys can be refused (open and
// create fail with access denied) and one chosen value write can be made to fail.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/registry.h"

namespace tk::fakes {

class FakeRegistry : public platform::Registry {
public:
    struct StoredValue {
        std::string type;  // "REG_SZ" or "REG_DWORD"
        std::vector<std::uint8_t> bytes;
    };

    // One line per call, e.g. "Create HKLM Software\V\", "Set HKLM Software\V\ Path REG_SZ
    // "C:\X\"", "Set ... Version REG_DWORD 03 00 00 00", "Query ...", "Delete ...", "Close ...".
    std::vector<std::string> log;
    std::vector<std::string>* sharedLog = nullptr;  // gets each line too, led by "Registry "
    std::set<platform::RegistryRoot> refusedRoots;  // no key below these opens
    std::set<std::string> refusedKeys;              // "HKLM\path", as Name() gives it
    std::string failingWrite;                       // "HKLM\path|name": this write fails
    int openKeys = 0;
    int mostOpenKeys = 0;

    // "HKCU" or "HKLM", a backslash and the path without a trailing backslash; keys and
    // paths compare without regard to ASCII case, as the registry does.
    static std::string Name(platform::RegistryRoot root, const std::string& path);
    void AddKey(platform::RegistryRoot root, const std::string& path);
    bool HasKey(platform::RegistryRoot root, const std::string& path) const;
    // The values of a key in name order; empty when the key is missing.
    std::map<std::string, StoredValue> Values(platform::RegistryRoot root,
                                              const std::string& path) const;
    // A REG_SZ value without its terminating zero, or "<missing>".
    std::string Text(platform::RegistryRoot root, const std::string& path,
                     const std::string& name) const;
    void SetText(platform::RegistryRoot root, const std::string& path, const std::string& name,
                 const std::string& text);

    platform::OpenedKey CreateKey(platform::RegistryRoot root, const std::string& path) override;
    platform::OpenedKey OpenKey(platform::RegistryRoot root, const std::string& path) override;
    platform::Status SetString(const platform::RegistryKey& key, const std::string& name,
                               const std::string& value) override;
    platform::Status SetDword(const platform::RegistryKey& key, const std::string& name,
                              std::uint32_t value) override;
    platform::Status QueryValue(const platform::RegistryKey& key, const std::string& name) override;
    platform::Status GetString(const platform::RegistryKey& key, const std::string& name,
                               std::string& value) override;
    platform::Status DeleteValue(const platform::RegistryKey& key,
                                 const std::string& name) override;

private:
    using Handle = std::uintptr_t;
    void CloseKey(Handle handle) override;
    void Record(const std::string& entry);
    struct OpenKeyRecord {
        std::string shown;  // root and path as passed, for the log
        std::string name;   // Name() of the key
    };
    platform::OpenedKey Open(const char* verb, platform::RegistryRoot root, const std::string& path,
                             bool create);
    // Logs "VERB key name"; the values of the key, or null when it is not open.
    std::map<std::string, StoredValue>* LogValueCall(const char* verb, Handle key,
                                                     const std::string& name);
    platform::Status Store(Handle key, const std::string& name, StoredValue value,
                           const std::string& shown);

    std::map<std::string, std::map<std::string, StoredValue>> keys_;
    std::map<Handle, OpenKeyRecord> handles_;
    Handle nextHandle_ = 0x100;
};

}  // namespace tk::fakes
