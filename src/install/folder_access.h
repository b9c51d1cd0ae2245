#pragma once
// Opens the data folder and the install folder to all users: through the folders' access
// lists, or, when that fails, through a small batch file that runs "icacls".
#include <string>

#include "platform/files.h"
#include "platform/security.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tk::install {

inline constexpr const char* kAccessBatchName = "acc.bat";

// The short (8.3) form of the path, or the path unchanged when the system yields none.
std::string GetShortPath(platform::Files& files, const std::string& path);

// A folder as the batch file names it: leading and trailing blanks and control characters
// removed, then one trailing backslash removed.
std::string BatchFolderText(const std::string& folder);

// The batch file's three lines, each ending in CR LF. The setup program deletes the file
// once the batch has ended.
std::string AccessBatchText(const std::string& dataFolderText,
                            const std::string& installFolderText);

class FolderAccess {
public:
    FolderAccess(platform::Files& files, platform::Security& security, platform::Shell& shell,
                 platform::System& system);

    // Creates both folders and grants everyone full control of them. True when both access
    // lists were stored; false when the batch file had to be tried instead.
    bool SetFolderAccess(const std::string& dataFolder, const std::string& installFolder);

private:
    void RunBatchFallback(const std::string& dataFolder, const std::string& installFolder);

    platform::Files& files_;
    platform::Security& security_;
    platform::Shell& shell_;
    platform::System& system_;
};

}  // namespace tk::install
