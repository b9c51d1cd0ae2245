#pragma once
#include "platform/protocol_catalogue.h"

namespace tk::platform::win32 {

class Win32ProtocolCatalogue final : public ProtocolCatalogue {
public:
    std::vector<Guid> ProviderIds() override;
    int DeinstallProvider(const Guid& id) override;
    std::optional<std::string> ProviderPath(const Guid& id) override;
    int Startup(std::uint16_t version) override;
    int Cleanup() override;
};

}  // namespace tk::platform::win32
