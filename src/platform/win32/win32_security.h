#pragma once
#include "platform/security.h"

namespace tk::platform::win32 {

class Win32Security final : public Security {
public:
    bool EnablePrivilege(const std::string& name, bool enable) override;
    bool GrantEveryoneFullAccess(const std::string& folder) override;
    std::unique_ptr<LockedFile> WritePrivateFile(const std::string& path,
                                                 const std::string& bytes) override;
};

}  // namespace tk::platform::win32
