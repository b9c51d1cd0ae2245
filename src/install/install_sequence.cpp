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
    const std::string candidate = system_.Environment("ALLUSERSPROFILE").value_or("") +
                                  "\\tidyKiosk\\" + std::string(edition.dataFolderName) + "\\";
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

void InstallSequence::StepDone(bool done, std::string_view step) {
    if (!done) {
        report_.incompleteSteps.emplace_back(step);
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
        throw InstallError(std::string(texts::kTheInstallFolder) + installFolder +
                           std::string(texts::kInsideWindowsFolderAfter));
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
        throw InstallError(std::string(texts::kSetupRunLockFailed) +
                           PaddedNumber(runLock.error.error(), 1) +
                           std::string(texts::kNothingInstalled));
    }
    RunRecord record(platform_.registry, files_);
    record.FinishEarlierRun();
    // Nothing is written anywhere for a folder that cannot be: no data folder, no shortcut,
    // no registry value would name a product that is not there.
    if (const platform::Status made = folders_.Make(installFolder); !made) {
        throw InstallError(std::string(texts::kTheInstallFolder) + installFolder +
                           std::string(texts::kFolderNotMadeAfter) + ReasonText(made.error()) +
                           std::string(texts::kNothingInstalled));
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
        throw InstallError(std::string(texts::kOutOfSpaceBefore) + outOfSpace->path +
                           std::string(texts::kCouldNotBeWritten) + ReasonText(outOfSpace->error) +
                           std::string(texts::kOutOfSpaceAfter));
    }
    platform::profile::Mark("files written");

    // The rights come before the files are put in place; files written before them take
    // them from the folder as the system passes them down.
    bool done = false;
    try {
        done = FolderAccess(files_, platform_.security, platform_.shell, system_)
                   .SetFolderAccess(dataFolder_, installFolder);
    } catch (...) {
    }
    StepDone(done, texts::kStepFolderAccess);
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
    StepDone(done, texts::kStepProvider);
    platform::profile::Mark("helper start");

    progress_.Reached(InstallStage::MakingShortcuts);

    const Edition& edition = EditionOf(request_.edition);
    StepDone(ShortcutMaker(platform_.shell, files_)
                 .MakeShortcuts(installFolder + std::string(edition.mainExecutable),
                                std::string(edition.productName)),
             texts::kStepShortcuts);
    platform::profile::Mark("shortcuts");

    progress_.Reached(InstallStage::WritingRegistry);
    StepDone(WriteRegistryEntries(platform_.registry, system_, request_.edition, installFolder),
             texts::kStepRegistry);
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

void ShowCompletion(platform::ProgressView& view, const std::string& appName,
                    const InstallReport& report) {
    view.ShowCompletion(CompletionText(appName, report), std::string(texts::kRunPrefix) + appName,
                        RunMayFail(report));
    platform::profile::Mark("completion page");
}

bool RestartPending(const InstallReport& report) {
    return std::any_of(report.files.begin(), report.files.end(),
                       [](const FileNote& note) { return note.scheduled; });
}

namespace {

// "a, b, c and 2 more", or all of them ("a, b and c") when there are no more than `named`.
std::string NameList(const std::vector<std::string>& names, std::size_t named) {
    std::string list;
    const std::size_t shown = names.size() > named ? named : names.size();
    for (std::size_t i = 0; i < shown; ++i) {
        list += (i == 0 ? "" : i + 1 == shown && shown == names.size() ? " and " : ", ") + names[i];
    }
    if (names.size() > shown) {
        list += " and " + PaddedNumber(names.size() - shown, 1) + " more";
    }
    return list;
}

}  // namespace

std::string CompletionText(const std::string& appName, const InstallReport& report) {
    std::vector<std::string> missing;
    for (const FileNote& note : report.files) {
        if (!note.scheduled) {
            missing.push_back(FileNameOf(note.path));
        }
    }
    std::string text;
    if (missing.empty() && report.incompleteSteps.empty()) {
        text = appName + std::string(texts::kSuccessfullyInstalled);
    } else {
        std::string what;
        if (!missing.empty()) {
            what = NameList(missing, 3) + std::string(texts::kFilesNotWritten);
        }
        if (!report.incompleteSteps.empty()) {
            what += (what.empty() ? "" : "; ") + NameList(report.incompleteSteps, 4) +
                    std::string(texts::kStepsNotDone);
        }
        text = std::string(texts::kIncompleteBefore) + appName +
               std::string(texts::kIncompleteMiddle) + what + std::string(texts::kIncompleteAfter);
    }
    if (RestartPending(report)) {
        text += texts::kRestartToFinish;
    }
    return text;
}

bool RunMayFail(const InstallReport& report) {
    const auto stepLeft = [&](std::string_view step) {
        return std::find(report.incompleteSteps.begin(), report.incompleteSteps.end(), step) !=
               report.incompleteSteps.end();
    };
    return !report.files.empty() || stepLeft(texts::kStepFolderAccess) ||
           stepLeft(texts::kStepProvider);
}

namespace {

std::string ReasonOf(const FileNote& note) {
    switch (note.why) {
        case FileShortfall::InUse:
            return std::string(texts::kInUse);
        case FileShortfall::ReadOnly:
            return std::string(texts::kReadOnly);
        case FileShortfall::DiskFull:
            return std::string(texts::kDiskFull);
        case FileShortfall::AccessDenied:
            return std::string(texts::kAccessDenied);
        case FileShortfall::OtherError:
            return std::string(texts::kOtherError) + PaddedNumber(note.error, 1);
        case FileShortfall::NotInProgram:
            return std::string(texts::kNotInProgram);
        case FileShortfall::Damaged:
            return std::string(texts::kDamaged);
        case FileShortfall::StaleCopy:
            return std::string(texts::kStaleCopy);
        case FileShortfall::NoRestartHere:
            return std::string(texts::kNoRestartHere);
        case FileShortfall::Unexpected:
            break;
    }
    return std::string(texts::kUnexpected);
}

}  // namespace

std::vector<std::string> ReportLines(const InstallReport& report) {
    std::vector<std::string> lines;
    for (const FileNote& note : report.files) {
        if (note.scheduled) {
            lines.push_back(note.path + std::string(texts::kScheduledLine));
            continue;
        }
        lines.push_back(note.path + std::string(texts::kNotInstalledLine) + ReasonOf(note));
    }
    for (const std::string& step : report.incompleteSteps) {
        lines.push_back(step + std::string(texts::kStepIncompleteLine));
    }
    return lines;
}

}  // namespace tk::install
