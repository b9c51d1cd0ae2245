#pragma once
// The application's two shell links: one on the desktop and one in the "tidyKiosk" program
// group of the start menu, shared by all users where possible, the user's own otherwise.
#include <cstdint>
#include <string>
#include <string_view>

#include "platform/files.h"
#include "platform/shell.h"

namespace tk::install {

inline constexpr std::string_view kProgramGroup = "tidyKiosk";

struct ProgramFolderResult {
    bool success = false;     // the folder was created or already existed
    std::uint32_t error = 0;  // the creation's last error; 0 when the special folder is unknown
};

class ShortcutMaker {
public:
    ShortcutMaker(platform::Shell& shell, platform::Files& files);

    // Writes the desktop and the start-menu link to `targetPath`, named `linkName` + ".lnk".
    // True when both links were saved somewhere; throws InstallError when no shell link
    // object can be had.
    bool MakeShortcuts(const std::string& targetPath, const std::string& linkName);

    // Makes sure that `folderName` exists directly under the special folder `csidl`.
    ProgramFolderResult CreateProgramFolder(const std::string& folderName, int csidl);

private:
    // Saves the link as special folder + "\" + relativeName, replacing an earlier file.
    // False when the folder is unknown or the save did not answer S_OK.
    bool SaveAt(platform::ShellLink& link, int csidl, const std::string& relativeName);

    platform::Shell& shell_;
    platform::Files& files_;
};

}  // namespace tk::install
