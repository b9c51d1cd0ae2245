#include "fakes/fake_registry.h"

#include <algorithm>
#include <cstdio>

namespace tk::fakes {
namespace {

const char* RootName(platform::RegistryRoot root) {
    return root == platform::RegistryRoot::LocalMachine ? "HKLM" : "HKCU";
}

std::string Lower(std::string text) {
    for (char& c : text) {
        if (c >= 'A' && c <= 'Z') {
            c = static_cast<char>(c - 'A' + 'a');
        }
    }
    return text;
}

constexpr platform::Status kInvalidHandle{6};  // ERROR_INVALID_HANDLE

}  // namespace

std::string FakeRegistry::Name(platform::RegistryRoot root, const std::string& path) {
    std::string trimmed = path;
    while (!trimmed.empty() && trimmed.back() == '\\') {
        trimmed.pop_back();
    }
    return std::string(RootName(root)) + "\\" + Lower(trimmed);
}

void FakeRegistry::AddKey(platform::RegistryRoot root, const std::string& path) {
    keys_[Name(root, path)];
}

bool FakeRegistry::HasKey(platform::RegistryRoot root, const std::string& path) const {
    return keys_.count(Name(root, path)) != 0;
}

std::map<std::string, FakeRegistry::StoredValue> FakeRegistry::Values(
    platform::RegistryRoot root, const std::string& path) const {
    const auto found = keys_.find(Name(root, path));
    return found == keys_.end() ? std::map<std::string, StoredValue>() : found->second;
}

std::string FakeRegistry::Text(platform::RegistryRoot root, const std::string& path,
                               const std::string& name) const {
    const auto values = Values(root, path);
    const auto found = values.find(name);
    if (found == values.end() || found->second.type != "REG_SZ" || found->second.bytes.empty()) {
        return "<missing>";
    }
    return std::string(found->second.bytes.begin(), found->second.bytes.end() - 1);
}

void FakeRegistry::SetText(platform::RegistryRoot root, const std::string& path,
                           const std::string& name, const std::string& text) {
    std::vector<std::uint8_t> bytes(text.begin(), text.end());
    bytes.push_back(0);
    keys_[Name(root, path)][name] = {"REG_SZ", bytes};
}

platform::OpenedKey FakeRegistry::Open(const char* verb, platform::RegistryRoot root,
                                       const std::string& path, bool create) {
    const std::string shown = std::string(RootName(root)) + " " + path;
    Record(std::string(verb) + " " + shown);
    const std::string name = Name(root, path);
    if (refusedRoots.count(root) != 0 || refusedKeys.count(name) != 0) {
        return {platform::RegistryKey(), platform::kAccessDenied};
    }
    if (keys_.count(name) == 0) {
        if (!create) {
            return {platform::RegistryKey(), platform::kNotFound};
        }
        keys_[name];
    }
    const Handle handle = nextHandle_++;
    handles_[handle] = {shown, name};
    mostOpenKeys = std::max(mostOpenKeys, ++openKeys);
    return {platform::RegistryKey(*this, handle), platform::Status()};
}

platform::OpenedKey FakeRegistry::CreateKey(platform::RegistryRoot root, const std::string& path) {
    return Open("Create", root, path, true);
}

platform::OpenedKey FakeRegistry::OpenKey(platform::RegistryRoot root, const std::string& path) {
    return Open("Open", root, path, false);
}

platform::Status FakeRegistry::Store(Handle key, const std::string& name, StoredValue value,
                                     const std::string& shown) {
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) {
        Record("Set <not an open key> " + name);
        return kInvalidHandle;
    }
    Record("Set " + handle->second.shown + " " + name + " " + value.type + " " + shown);
    if (failingWrite == handle->second.name + "|" + name) {
        return platform::kAccessDenied;
    }
    keys_[handle->second.name][name] = std::move(value);
    return platform::Status();
}

platform::Status FakeRegistry::SetString(const platform::RegistryKey& key, const std::string& name,
                                         const std::string& value) {
    std::vector<std::uint8_t> bytes(value.begin(), value.end());
    bytes.push_back(0);
    return Store(key.Handle(), name, {"REG_SZ", bytes}, "\"" + value + "\"");
}

platform::Status FakeRegistry::SetDword(const platform::RegistryKey& key, const std::string& name,
                                        std::uint32_t value) {
    const std::vector<std::uint8_t> bytes = {
        static_cast<std::uint8_t>(value), static_cast<std::uint8_t>(value >> 8),
        static_cast<std::uint8_t>(value >> 16), static_cast<std::uint8_t>(value >> 24)};
    char shown[16];
    std::snprintf(shown, sizeof shown, "%02x %02x %02x %02x", bytes[0], bytes[1], bytes[2],
                  bytes[3]);
    return Store(key.Handle(), name, {"REG_DWORD", bytes}, shown);
}

std::map<std::string, FakeRegistry::StoredValue>* FakeRegistry::LogValueCall(
    const char* verb, Handle key, const std::string& name) {
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) {
        Record(std::string(verb) + " <not an open key> " + name);
        return nullptr;
    }
    Record(std::string(verb) + " " + handle->second.shown + " " + name);
    return &keys_[handle->second.name];
}

platform::Status FakeRegistry::QueryValue(const platform::RegistryKey& key,
                                          const std::string& name) {
    const auto* values = LogValueCall("Query", key.Handle(), name);
    if (values == nullptr) {
        return kInvalidHandle;
    }
    return values->count(name) != 0 ? platform::Status() : platform::kNotFound;
}

platform::Status FakeRegistry::GetString(const platform::RegistryKey& key, const std::string& name,
                                         std::string& value) {
    value.clear();
    const auto* values = LogValueCall("Get", key.Handle(), name);
    if (values == nullptr) {
        return kInvalidHandle;
    }
    const auto found = values->find(name);
    if (found == values->end()) {
        return platform::kNotFound;
    }
    value.assign(found->second.bytes.begin(), found->second.bytes.end());
    if (!value.empty() && value.back() == '\0') {
        value.pop_back();
    }
    return {};
}

platform::Status FakeRegistry::DeleteValue(const platform::RegistryKey& key,
                                           const std::string& name) {
    auto* values = LogValueCall("Delete", key.Handle(), name);
    if (values == nullptr) {
        return kInvalidHandle;
    }
    return values->erase(name) != 0 ? platform::Status() : platform::kNotFound;
}

void FakeRegistry::CloseKey(Handle key) {
    const auto handle = handles_.find(key);
    if (handle == handles_.end()) {
        Record("Close <not an open key>");
        return;
    }
    Record("Close " + handle->second.shown);
    handles_.erase(handle);
    --openKeys;
}

void FakeRegistry::Record(const std::string& entry) {
    log.push_back(entry);
    if (sharedLog != nullptr) {
        sharedLog->push_back("Registry " + entry);
    }
}

}  // namespace tk::fakes
