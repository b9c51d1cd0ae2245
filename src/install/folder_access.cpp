#include "install/folder_access.h"

#include <algorithm>
#include <cstdint>
#include <utility>

#include "platform/paths.h"

namespace tk::install {
namespace {

constexpr std::uint32_t kShortPathBuffer = 255;
constexpr std::uint32_t kSettleMilliseconds = 500;
// The programs the batch starts: "icacls" once for each folder.
constexpr std::size_t kBatchPrograms = 2;
// "icacls" on two folders takes seconds; the batch is a program, not a person.
constexpr std::uint32_t kBatchMilliseconds = 60000;
constexpr std::uint32_t kCleanupMilliseconds = 1000;
constexpr std::uint32_t kCleanupPollMilliseconds = 10;

bool IsBlankOrControl(char c) {
    return static_cast<unsigned char>(c) <= ' ';
}

std::string IcaclsLine(const std::string& folderText) {
    return Joined({"icacls \"", folderText, "\" /grant:r Users:(OI)(CI)F\r\n"});
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

std::string AccessBatchText(const std::string& dataFolderText, const std::string& installFolderText,
                            const std::string& batchPath) {
    return Joined({"@echo off\r\n", IcaclsLine(dataFolderText), IcaclsLine(installFolderText),
                   ":try\r\ndel \"", batchPath, "\"\r\nif exist \"", batchPath, "\" goto try\r\n"});
}

bool AccessBatchSucceeded(const platform::BatchRunEnd& end) {
    return end.complete && end.programExits.size() >= kBatchPrograms &&
           std::all_of(end.programExits.begin(), end.programExits.end(),
                       [](const std::optional<std::uint32_t>& exit) { return exit == 0u; });
}

FolderAccess::FolderAccess(platform::Files& files, platform::Security& security,
                           platform::Shell& shell, platform::System& system,
                           std::function<void()> keepResponsive)
    : files_(files),
      security_(security),
      shell_(shell),
      system_(system),
      keepResponsive_(std::move(keepResponsive)) {}

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
    return RunBatchFallback(dataFolder, installFolder);
}

void FolderAccess::Pause(std::uint32_t milliseconds) {
    system_.Pause(milliseconds, keepResponsive_);
}

bool FolderAccess::RunBatchFallback(const std::string& dataFolder,
                                    const std::string& installFolder) {
    Pause(kSettleMilliseconds);
    const std::string dataText = GetShortPath(files_, BatchFolderText(dataFolder));
    const std::string installText = GetShortPath(files_, BatchFolderText(installFolder));
    const std::string batchPath = GetShortPath(files_, dataFolder + kAccessBatchName);

    // The batch runs with the installer's rights, in a folder where every user may add files
    // (and, once its first line has run, delete them): it is written so that nobody else can
    // have prepared it, and stays locked until nothing in its job runs any more, since the
    // interpreter opens it again by name for every line. Locked means that nobody may write,
    // rename or delete it, the batch's own "del" included: were deleting shared, so would
    // be renaming, and another file could take its name between two lines. So the job is
    // ended once both "icacls" runs are over, when only that loop is left, and the file is
    // deleted here; never later than the bound, and with the setup program however it ends.
    auto batch =
        security_.WritePrivateFile(batchPath, AccessBatchText(dataText, installText, batchPath));
    if (!batch) {
        return false;
    }
    bool done = false;
    if (files_.FileExists(batchPath)) {
        if (const auto run = shell_.RunBatch(batchPath, {kBatchPrograms, kBatchMilliseconds})) {
            done = AccessBatchSucceeded(run->Wait(keepResponsive_));
        }
    }
    batch.reset();  // nothing runs in the job any more

    const std::uint32_t start = system_.TickCount();
    while (files_.FileExists(batchPath)) {
        files_.RemoveFile(batchPath);
        if (system_.TickCount() - start > kCleanupMilliseconds) {
            break;
        }
        Pause(kCleanupPollMilliseconds);
    }
    return done;
}

}  // namespace tk::install
