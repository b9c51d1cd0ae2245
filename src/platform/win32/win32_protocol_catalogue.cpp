#include "platform/win32/win32_protocol_catalogue.h"

#include <winsock2.h>
#include <ws2spi.h>

#include <cstring>

namespace tk::platform::win32 {
namespace {

GUID AsGuid(const Guid& id) {
    static_assert(sizeof(GUID) == sizeof(Guid));
    GUID guid;
    std::memcpy(&guid, id.data(), sizeof guid);
    return guid;
}

}  // namespace

std::vector<Guid> Win32ProtocolCatalogue::ProviderIds() {
    DWORD length = 0;
    INT error = 0;
    ::WSCEnumProtocols(nullptr, nullptr, &length, &error);  // learns the size in bytes
    if (length == 0) {
        return {};
    }
    std::vector<WSAPROTOCOL_INFOW> entries(length / sizeof(WSAPROTOCOL_INFOW) + 1);
    const int count = ::WSCEnumProtocols(nullptr, entries.data(), &length, &error);
    if (count == SOCKET_ERROR || count < 0) {
        return {};
    }
    std::vector<Guid> ids;
    for (int i = 0; i < count && static_cast<std::size_t>(i) < entries.size(); ++i) {
        Guid id;
        std::memcpy(id.data(), &entries[i].ProviderId, id.size());
        ids.push_back(id);
    }
    return ids;
}

int Win32ProtocolCatalogue::DeinstallProvider(const Guid& id) {
    GUID guid = AsGuid(id);
    INT error = 0;
    return ::WSCDeinstallProvider(&guid, &error);
}

std::optional<std::string> Win32ProtocolCatalogue::ProviderPath(const Guid& id) {
    GUID guid = AsGuid(id);
    WCHAR path[256] = {};
    INT length = 256;
    INT error = 0;
    if (::WSCGetProviderPath(&guid, path, &length, &error) == SOCKET_ERROR) {
        return std::nullopt;
    }
    path[255] = L'\0';
    const int size = ::WideCharToMultiByte(CP_ACP, 0, path, -1, nullptr, 0, nullptr, nullptr);
    if (size <= 1) {
        return std::string();
    }
    std::string text(static_cast<std::size_t>(size), '\0');
    ::WideCharToMultiByte(CP_ACP, 0, path, -1, text.data(), size, nullptr, nullptr);
    text.resize(static_cast<std::size_t>(size - 1));
    return text;
}

int Win32ProtocolCatalogue::Startup(std::uint16_t version) {
    WSADATA data{};
    return ::WSAStartup(version, &data);
}

int Win32ProtocolCatalogue::Cleanup() {
    return ::WSACleanup();
}

}  // namespace tk::platform::win32
