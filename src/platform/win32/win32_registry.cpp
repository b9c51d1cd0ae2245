#include "platform/win32/win32_registry.h"

#include <windows.h>

namespace tk::platform::win32 {
namespace {

HKEY RootKey(RegistryRoot root) {
    return root == RegistryRoot::LocalMachine ? HKEY_LOCAL_MACHINE : HKEY_CURRENT_USER;
}

HKEY AsHkey(const RegistryKey& key) {
    return reinterpret_cast<HKEY>(key.Handle());
}

Status StatusOf(LONG status) {
    return Status(static_cast<std::uint32_t>(status));
}

OpenedKey Opened(Registry& registry, LONG status, HKEY key) {
    if (status != ERROR_SUCCESS) {
        return {RegistryKey(), StatusOf(status)};
    }
    return {RegistryKey(registry, reinterpret_cast<std::uintptr_t>(key)), Status()};
}

}  // namespace

OpenedKey Win32Registry::CreateKey(RegistryRoot root, const std::string& path) {
    HKEY opened = nullptr;
    const LONG status =
        ::RegCreateKeyExA(RootKey(root), path.c_str(), 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_ALL_ACCESS, nullptr, &opened, nullptr);
    return Opened(*this, status, opened);
}

OpenedKey Win32Registry::OpenKey(RegistryRoot root, const std::string& path) {
    HKEY opened = nullptr;
    const LONG status = ::RegOpenKeyExA(RootKey(root), path.c_str(), 0, KEY_ALL_ACCESS, &opened);
    return Opened(*this, status, opened);
}

Status Win32Registry::SetString(const RegistryKey& key, const std::string& name,
                                const std::string& value) {
    return StatusOf(::RegSetValueExA(AsHkey(key), name.c_str(), 0, REG_SZ,
                                     reinterpret_cast<const BYTE*>(value.c_str()),
                                     static_cast<DWORD>(value.size() + 1)));
}

Status Win32Registry::SetDword(const RegistryKey& key, const std::string& name,
                               std::uint32_t value) {
    const BYTE bytes[4] = {static_cast<BYTE>(value), static_cast<BYTE>(value >> 8),
                           static_cast<BYTE>(value >> 16), static_cast<BYTE>(value >> 24)};
    return StatusOf(::RegSetValueExA(AsHkey(key), name.c_str(), 0, REG_DWORD, bytes, sizeof bytes));
}

Status Win32Registry::QueryValue(const RegistryKey& key, const std::string& name) {
    return StatusOf(
        ::RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, nullptr, nullptr, nullptr));
}

Status Win32Registry::GetString(const RegistryKey& key, const std::string& name,
                                std::string& value) {
    value.clear();
    DWORD type = 0;
    DWORD size = 0;
    LONG status = ::RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, &type, nullptr, &size);
    if (status != ERROR_SUCCESS) {
        return StatusOf(status);
    }
    if (type != REG_SZ) {
        return Status(ERROR_INVALID_DATA);
    }
    std::string buffer(size + 1, '\0');
    status = ::RegQueryValueExA(AsHkey(key), name.c_str(), nullptr, nullptr,
                                reinterpret_cast<BYTE*>(buffer.data()), &size);
    if (status == ERROR_SUCCESS) {
        value.assign(buffer.c_str());  // up to its zero, which a writer may have left out
    }
    return StatusOf(status);
}

Status Win32Registry::DeleteValue(const RegistryKey& key, const std::string& name) {
    return StatusOf(::RegDeleteValueA(AsHkey(key), name.c_str()));
}

void Win32Registry::CloseKey(std::uintptr_t handle) {
    ::RegCloseKey(reinterpret_cast<HKEY>(handle));
}

}  // namespace tk::platform::win32
