#include "install/shortcuts.h"

#include "platform/paths.h"

#include "install/install_error.h"

namespace tk::install {
namespace {

// The folder part of a path, with its trailing backslash.
std::string FolderWithBackslash(const std::string& path) {
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
}

}  // namespace

ShortcutMaker::ShortcutMaker(platform::Shell& shell, platform::Files& files)
    : shell_(shell), files_(files) {}

bool ShortcutMaker::SaveAt(platform::ShellLink& link, int csidl, const std::string& relativeName) {
    const std::optional<std::string> folder = shell_.SpecialFolderPath(csidl);
    if (!folder || folder->empty()) {
        return false;  // no such location on this system: the next one is tried
    }
    const std::string path = *folder + "\\" + relativeName;
    if (files_.FileExists(path)) {
        files_.RemoveFile(path);  // a failure here shows in the Save that follows
    }
    return link.Save(path).ok();
}

bool ShortcutMaker::MakeShortcuts(const std::string& targetPath, const std::string& linkName) {
    const auto [link, created] = shell_.CreateShellLink();
    if (!link) {
        throw InstallError(Joined({"Unable to create shortcuts: no shell link object (error 0x",
                                   PaddedNumber(created.error(), 8, 16), ")"}));
    }
    link->SetPath(targetPath);
    link->SetWorkingDirectory(FolderWithBackslash(targetPath));

    const std::string fileName = linkName + ".lnk";
    const bool onDesktop = SaveAt(*link, platform::kCsidlCommonDesktopDirectory, fileName) ||
                           SaveAt(*link, platform::kCsidlDesktopDirectory, fileName);

    const std::string group(kProgramGroup);
    // The user's own group is made when the shared one is refused, or when the system has
    // no shared programs folder at all (error code 0); other errors make no group.
    if (const ProgramFolderResult shared =
            CreateProgramFolder(group, platform::kCsidlCommonPrograms);
        !shared.success && (shared.error == platform::kAccessDenied.error() || shared.error == 0)) {
        CreateProgramFolder(group, platform::kCsidlPrograms);
    }
    // The shared group is always tried first, whichever group could be made.
    const std::string groupFileName = group + "\\" + fileName;
    const bool inStartMenu = SaveAt(*link, platform::kCsidlCommonPrograms, groupFileName) ||
                             SaveAt(*link, platform::kCsidlPrograms, groupFileName);
    return onDesktop && inStartMenu;
}

ProgramFolderResult ShortcutMaker::CreateProgramFolder(const std::string& folderName, int csidl) {
    ProgramFolderResult result;
    const std::optional<std::string> parent = shell_.SpecialFolderPath(csidl);
    if (!parent || parent->empty()) {
        return result;
    }
    const platform::Status made = files_.MakeDirectory(*parent + "\\" + folderName);
    result.error = made.error();
    result.success = made.ok() || made == platform::kAlreadyExists;
    return result;
}

}  // namespace tk::install
