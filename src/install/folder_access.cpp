#include "install/folder_access.h"

#include <cstdint>

namespace tk::install {
namespace {

constexpr std::uint32_t kShortPathBuffer = 255;
constexpr std::uint32_t kSettleMilliseconds = 500;
// "icacls" on two folders takes seconds; the batch is a program, not a person.
constexpr std::uint32_t kBatchMilliseconds = 60000;
constexpr std::uint32_t kCleanupMilliseconds = 1000;
constexpr std::uint32_t kCleanupPollMilliseconds = 10;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string IcaclsLine(const std::string& folderText) {
    return "icacls \"" + folderText + "\" /grant:r Users:(OI)(CI)F\r\n";
}

}  // namespace

std::string GetShortPath(platform::Files& files, const std::string& path) {
    std::string shortPath;
    const std::uint32_t length = files.ShortPathName(path, kShortPathBuffer, shortPath);
    return length >= 1 && length <= kShortPathBuffer ? shortPath : path;
}

std::string BatchFolderText(const std::string& folder) {
    std::size_t first = 0;
    std::size_t last = folder.size();
    while (first < last && IsBlankOrControl(folder[first])) {
        ++first;
    }
    while (last > first && IsBlankOrControl(folder[last - 1])) {
        --last;
    }
    if (last > first && folder[last - 1] == '\\') {
        --last;
    }
    return folder.substr(first, last - first);
}

std::string AccessBatchText(const std::string& dataFolderText,
                            const std::string& installFolderText) {
    return "@echo off\r\n" + IcaclsLine(dataFolderText) + IcaclsLine(installFolderText);
}

FolderAccess::FolderAccess(platform::Files& files, platform::Security& security,
                           platform::Shell& shell, platform::System& system)
    : files_(files), security_(security), shell_(shell), system_(system) {}

bool FolderAccess::SetFolderAccess(const std::string& dataFolder,
                                   const std::string& installFolder) {
    for (const std::string& folder : {dataFolder, installFolder}) {
        if (!files_.DirectoryExists(folder)) {
            files_.MakeDirectories(folder);
        }
    }
    if (security_.GrantEveryoneFullAccess(dataFolder) &&
        security_.GrantEveryoneFullAccess(installFolder)) {
        return true;
    }
    RunBatchFallback(dataFolder, installFolder);
    return false;  // whether "icacls" did its work cannot be seen from here
}

void FolderAccess::RunBatchFallback(const std::string& dataFolder,
                                    const std::string& installFolder) {
    system_.Sleep(kSettleMilliseconds);
    const std::string dataText = GetShortPath(files_, BatchFolderText(dataFolder));
    const std::string installText = GetShortPath(files_, BatchFolderText(installFolder));
    const std::string batchPath = GetShortPath(files_, dataFolder + kAccessBatchName);

    // The batch runs with the installer's rights, in a folder where every user may add and
    // delete files: it is written so that nobody else can have prepared it, and stays
    // locked until its interpreter has finished with it, since "cmd" opens it again by
    // name for every line. One that does not finish in time is ended, never left running
    // on a file that anybody could then replace.
    auto batch = security_.WritePrivateFile(batchPath, AccessBatchText(dataText, installText));
    if (!batch) {
        return;
    }
    if (files_.FileExists(batchPath)) {
        if (const auto started = shell_.Start("open", batchPath, platform::kShowHidden);
            started && !started->WaitForEnd(kBatchMilliseconds)) {
            started->Terminate();
        }
    }
    batch.reset();  // released: the loop below must be able to delete it

    // Deleted here once the batch is done (Wine's "cmd" holds it a moment longer).
    const std::uint32_t start = system_.TickCount();
    while (files_.FileExists(batchPath)) {
        files_.RemoveFile(batchPath);
        if (system_.TickCount() - start > kCleanupMilliseconds) {
            break;
        }
        system_.Sleep(kCleanupPollMilliseconds);
    }
}

}  // namespace tk::install
