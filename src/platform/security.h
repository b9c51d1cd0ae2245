#pragma once
// Folder access lists and token privileges.
#include <memory>
#include <string>

namespace tk::platform {

// A file this process keeps open for reading while the object lives: others may read it,
// nobody may write, rename or delete it. Letting the object go releases the file.
class LockedFile {
public:
    virtual ~LockedFile() = default;
};

class Security {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~Security() = default;

public:
    // Enables or disables one privilege in the process token; true when the token
    // adjustment call succeeded.
    virtual bool EnablePrivilege(const std::string& name, bool enable) = 0;
    // Merges an inheritable GENERIC_ALL allow entry for the trustee named "EVERYONE"
    // into the folder's DACL; true only when the new DACL was stored.
    virtual bool GrantEveryoneFullAccess(const std::string& folder) = 0;
    // Creates a new file that nobody else can have prepared: any existing file of that
    // name is removed first, the new one is created exclusively, and only administrators
    // and SYSTEM may change it (users may read and run it). The file comes back locked,
    // holding exactly these bytes, so that nobody can swap it before the caller is done
    // with it. Nothing when it could not be written whole or changed before it was
    // locked; such a file is removed again.
    virtual std::unique_ptr<LockedFile> WritePrivateFile(const std::string& path,
                                                         const std::string& bytes) = 0;
};

}  // namespace tk::platform
