#pragma once
// Opens the data folder and the install folder to all users: through the folders' access
// lists, or, when that fails, through a small batch file that runs "icacls".
#include <cstdint>
#include <functional>
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

// The batch file's six lines, each ending in CR LF: "icacls" for each folder, then a loop
// that deletes the batch file until it is gone.
std::string AccessBatchText(const std::string& dataFolderText, const std::string& installFolderText,
                            const std::string& batchPath);

// True when the batch is known to have done its work: each "icacls" it ran ended by itself
// with status 0, and no program it started is unknown.
bool AccessBatchSucceeded(const platform::BatchRunEnd& end);

class FolderAccess {
public:
    // `keepResponsive` lets the window handle its messages while the step waits.
    FolderAccess(platform::Files& files, platform::Security& security, platform::Shell& shell,
                 platform::System& system, std::function<void()> keepResponsive);

    // Creates both folders and grants everyone full control of them. True when both access
    // lists were stored, or when the batch file that stands in for them did its work.
    bool SetFolderAccess(const std::string& dataFolder, const std::string& installFolder);

private:
    bool RunBatchFallback(const std::string& dataFolder, const std::string& installFolder);
    void Pause(std::uint32_t milliseconds);

    platform::Files& files_;
    platform::Security& security_;
    platform::Shell& shell_;
    platform::System& system_;
    std::function<void()> keepResponsive_;
};

}  // namespace tk::install
