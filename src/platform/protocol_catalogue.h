#pragma once
// The Winsock protocol catalogue (ws2_32 service-provider interface).
#include <array>
#include <cstdint>
#include <optional>
#include <string>
#include <vector>

namespace tk::platform {

using Guid = std::array<std::uint8_t, 16>;  // the GUID structure's 16 bytes, as in memory

class ProtocolCatalogue {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~ProtocolCatalogue() = default;

public:
    // ProviderId of every catalogue entry (WSCEnumProtocols, first for the size, then
    // with the buffer); empty when the enumeration fails.
    virtual std::vector<Guid> ProviderIds() = 0;
    virtual int DeinstallProvider(const Guid& id) = 0;
    // WSCGetProviderPath with a 256-character buffer, converted to the ANSI code page;
    // nothing when the call answers SOCKET_ERROR.
    virtual std::optional<std::string> ProviderPath(const Guid& id) = 0;
    virtual int Startup(std::uint16_t version) = 0;
    virtual int Cleanup() = 0;
};

}  // namespace tk::platform
