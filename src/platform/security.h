#pragma once
// Folder access lists and token privileges.
#include <string>

namespace tk::platform {

class Security {
public:
    virtual ~Security() = default;
    // Enables or disables one privilege in the process token; true when the token
    // adjustment call succeeded.
    virtual bool EnablePrivilege(const std::string& name, bool enable) = 0;
    // Merges an inheritable GENERIC_ALL allow entry for the trustee named "EVERYONE"
    // into the folder's DACL; true only when the new DACL was stored.
    virtual bool GrantEveryoneFullAccess(const std::string& folder) = 0;
    // Creates a new file that nobody else can have prepared: any existing file of that
    // name is removed first, the new one is created exclusively, and only administrators
    // and SYSTEM may change it (users may read and run it). True when all bytes were
    // written; a file that could not be written whole is removed again.
    virtual bool WritePrivateFile(const std::string& path, const std::string& bytes) = 0;
};

}  // namespace tk::platform
