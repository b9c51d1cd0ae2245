#include "install/install_sequence.h"

#include <algorithm>
#include <utility>

#include "install/folder_access.h"
#include "install/install_error.h"
#include "install/install_plan.h"
#include "install/registry_entries.h"
#include "install/run_record.h"
#include "install/shortcuts.h"
#include "install/texts.h"
#include "platform/paths.h"
#include "platform/profile.h"

namespace tk::install {

std::string LongPathOf(platform::Files& files, const std::string& path) {
    constexpr std::uint32_t kBuffer = 260;
    std::string longPath;
    const std::uint32_t length = files.LongPathName(path, kBuffer, longPath);
    return length >= 1 && length <= kBuffer ? longPath : path;
}

std::string SettledFolder(platform::Files& files, const std::string& folder) {
    const std::string full = files.FullPathName(folder);
    std::string existing = full.empty() ? folder : full;
    while (existing.size() > 1 && existing.back() == '\\') {
        existing.pop_back();
    }
    std::string rest;  // the parts that do not exist yet, each led by a backslash
    while (existing.size() > 2 && !files.DirectoryExists(existing)) {
        rest = "\\" + FileNameOf(existing) + rest;
        existing = FolderOf(existing);
    }
    std::string settled = LongPathOf(files, existing.size() == 2 ? existing + "\\" : existing);
    while (!settled.empty() && settled.back() == '\\') {
        settled.pop_back();
    }
    return settled + rest;
}

std::string ReasonText(std::uint32_t error) {
    switch (error) {
        case 3:   // ERROR_PATH_NOT_FOUND
        case 15:  // ERROR_INVALID_DRIVE
            return std::string(texts::kNoSuchFolder);
        case 5:
            return std::string(texts::kAccessDenied);
        case 32:
            return std::string(texts::kInUse);
        case 112:
            return std::string(texts::kDiskFull);
        case 123:  // ERROR_INVALID_NAME
            return std::string(texts::kBadName);
        default:
            return std::string(texts::kOtherError) + PaddedNumber(error, 1);
    }
}

std::string SilentInstallFolder(platform::Files& files, const std::string& argument) {
    const std::string full = argument.empty() ? std::string() : files.FullPathName(argument);
    return LongPathOf(files, full.empty() ? argument : full);
}

InstallSequence::InstallSequence(InstallRequest request, const InstallPlatform& platform,
                                 ProgressReporter& progress, ProviderPort& provider)
    : request_(std::move(request)),
      platform_(platform),
      files_(platform.files),
      system_(platform.system),
      progress_(progress),
      provider_(provider),
      folders_(platform.files),
      extractor_(platform.files, platform.resources, progress) {}

std::string InstallSequence::ComputeDataFolder(const std::string& installFolder) {
    if (system_.MajorVersion() <= 4) {
        return installFolder;
    }
    const Edition& edition = EditionOf(request_.edition);
    // An unset variable counts as empty: the candidate then starts at the drive root.
    const std::string candidate = Joined({system_.Environment("ALLUSERSPROFILE").value_or(""),
                                          "\\tidyKiosk\\", edition.dataFolderName, "\\"});
    if (candidate == installFolder) {
        return installFolder;
    }
    if (folders_.Make(candidate)) {
        return candidate;
    }
    return installFolder;
}

void InstallSequence::ExtractAll(const std::string& installFolder) {
    for (int id = kFirstPayloadId; id <= kLastPayloadId; ++id) {
        progress_.KeepResponsive();
        extractor_.ExtractPayload(id, installFolder, dataFolder_, request_.edition);
        progress_.CurrentFile("");
        platform::profile::Mark("file", id);
    }
    progress_.Reached(InstallStage::LanguageFiles);
    if (request_.edition != kClientEdition) {
        return;
    }
    for (const PayloadEntry& language : ClientLanguageList()) {
        progress_.KeepResponsive();
        extractor_.ExtractClientLanguage(language.id, installFolder, dataFolder_);
        progress_.CurrentFile("");
    }
}

void InstallSequence::WriteSettingsFile(const std::string& installFolder) {
    const Edition& edition = EditionOf(request_.edition);
    if (!files_.DirectoryExists(dataFolder_ + "datax")) {
        files_.MakeDirectories(dataFolder_ + "datax");
    }
    const std::string settingsFile(edition.settingsFile);
    for (const std::string& folder :
         {FolderOf(dataFolder_ + settingsFile), FolderOf(installFolder + settingsFile)}) {
        if (!files_.DirectoryExists(folder)) {
            files_.MakeDirectories(folder);
        }
    }
    const std::string path = dataFolder_ + settingsFile;
    if (!files_.WriteProfileValue(path, std::string(edition.languageSection),
                                  std::string(edition.languageKey),
                                  std::string(edition.languageValue))) {
        throw InstallError("Unable to write to " + path);
    }
}

void InstallSequence::StepDone(bool done, InstallStep step) {
    if (!done) {
        report_.incompleteSteps.push_back(step);
    }
}

InstallOutcome InstallSequence::Run() {
    report_ = InstallReport();
    progress_.Reached(InstallStage::PreparingFolders);

    if (request_.installFolder.empty()) {
        return InstallOutcome::NoInstallFolder;
    }
    installFolder_ = WithTrailingBackslash(request_.installFolder);
    const std::string& installFolder = installFolder_;
    // Below the Windows folder a 32-bit program's files would land elsewhere (SysWOW64)
    // than where its registry values and shortcuts point, and nothing belongs there anyway.
    // Both are compared as the system will take them, whatever their spelling.
    const std::string windowsFolder =
        AsciiLower(WithTrailingBackslash(SettledFolder(files_, system_.WindowsFolder())));
    if (windowsFolder.size() > 1 &&
        AsciiLower(WithTrailingBackslash(SettledFolder(files_, installFolder)))
                .rfind(windowsFolder, 0) == 0) {
        throw InstallError(
            Joined({texts::kTheInstallFolder, installFolder, texts::kInsideWindowsFolderAfter}));
    }
    // One setup run at a time on this machine: a second one (a deployment tool that tried
    // again too early) waits for the first to finish, and then installs.
    const auto runLock =
        system_.LockSetupRuns(kSetupRunWaitMilliseconds, [this] { progress_.KeepResponsive(); });
    if (runLock.end == platform::SetupRunLockEnd::StillHeld) {
        throw AnotherSetupRunError(std::string(texts::kAnotherSetupRun));
    }
    if (runLock.end == platform::SetupRunLockEnd::NotTrusted) {
        throw AnotherSetupRunError(std::string(texts::kSetupRunLockForeign));
    }
    if (!runLock.lock) {
        throw InstallError(
            Joined({texts::kSetupRunLockFailed, PaddedNumber(runLock.error.error(), 1),
                    texts::kNothingInstalled}));
    }
    RunRecord record(platform_.registry, files_);
    record.FinishEarlierRun();
    // Nothing is written anywhere for a folder that cannot be: no data folder, no shortcut,
    // no registry value would name a product that is not there.
    if (const platform::Status made = folders_.Make(installFolder); !made) {
        throw InstallError(
            Joined({texts::kTheInstallFolder, installFolder, texts::kFolderNotMadeAfter,
                    ReasonText(made.error()), texts::kNothingInstalled}));
    }
    dataFolder_ = ComputeDataFolder(installFolder);
    platform::profile::Mark("folders");

    progress_.Reached(InstallStage::CopyingFiles);
    record.Staging(PlanInstall(request_.edition, installFolder, dataFolder_).StagingFolders());
    extractor_.Record(record);
    ExtractAll(installFolder);
    // A truncated or altered program installs nothing at all, not some of its files, and
    // neither does a disk that cannot hold them all: what was written goes again, with the
    // folders made for it, and no rights were changed.
    const auto outOfSpace = extractor_.OutOfSpace();
    if (extractor_.Damaged() || outOfSpace) {
        extractor_.Discard();
        folders_.RemoveMade();
        record.Close();
        if (extractor_.Damaged()) {
            throw InstallError(std::string(texts::kSetupDamaged));
        }
        throw InstallError(
            Joined({texts::kOutOfSpaceBefore, outOfSpace->path, texts::kCouldNotBeWritten,
                    ReasonText(outOfSpace->error), texts::kOutOfSpaceAfter}));
    }
    platform::profile::Mark("files written");

    // The rights come before the files are put in place; files written before them take
    // them from the folder as the system passes them down.
    bool done = false;
    try {
        done = FolderAccess(files_, platform_.security, platform_.shell, system_, [this] {
                   progress_.KeepResponsive();
               }).SetFolderAccess(dataFolder_, installFolder);
    } catch (...) {
    }
    StepDone(done, InstallStep::FolderAccess);
    platform::profile::Mark("folder rights");

    extractor_.PutInPlace();
    record.Close();
    report_.files = extractor_.Notes();
    platform::profile::Mark("files in place");
    WriteSettingsFile(installFolder);
    platform::profile::Mark("settings");

    progress_.Reached(InstallStage::StartingProvider);

    done = false;  // also when the helper is missing: the provider could not be seen to
    try {
        const std::string helperPath = installFolder + "_fltw.exe";
        if (files_.FileExists(helperPath)) {
            done = provider_.RunProviderStep(helperPath, installFolder + "plugin\\_kfilter.dll");
        }
    } catch (...) {
    }
    StepDone(done, InstallStep::Provider);
    platform::profile::Mark("helper start");

    progress_.Reached(InstallStage::MakingShortcuts);

    const Edition& edition = EditionOf(request_.edition);
    StepDone(ShortcutMaker(platform_.shell, files_)
                 .MakeShortcuts(installFolder + std::string(edition.mainExecutable),
                                std::string(edition.productName)),
             InstallStep::Shortcuts);
    platform::profile::Mark("shortcuts");

    progress_.Reached(InstallStage::WritingRegistry);
    StepDone(WriteRegistryEntries(platform_.registry, system_, request_.edition, installFolder),
             InstallStep::Registry);
    progress_.Reached(InstallStage::Finished);
    platform::profile::Mark("registry");

    const bool restart = RestartPending(report_);
    const bool incomplete = !report_.incompleteSteps.empty() ||
                            std::any_of(report_.files.begin(), report_.files.end(),
                                        [](const FileNote& note) { return !note.scheduled; });
    return incomplete ? InstallOutcome::Incomplete
           : restart  ? InstallOutcome::RestartPending
                      : InstallOutcome::Completed;
}

bool RestartPending(const InstallReport& report) {
    return std::any_of(report.files.begin(), report.files.end(),
                       [](const FileNote& note) { return note.scheduled; });
}

}  // namespace tk::install
