#include "install/install_sequence.h"

#include "install/install_error.h"
#include "install/paths.h"
#include "install/texts.h"
#include "platform/profile.h"

namespace tk::install {

std::string LongPathOf(platform::Files& files, const std::string& path) {
    constexpr std::uint32_t kBuffer = 260;
    std::string longPath;
    const std::uint32_t length = files.LongPathName(path, kBuffer, longPath);
    return length >= 1 && length <= kBuffer ? longPath : path;
}

std::string SilentInstallFolder(platform::Files& files, const std::string& argument) {
    const std::string full = argument.empty() ? std::string() : files.FullPathName(argument);
    return LongPathOf(files, full.empty() ? argument : full);
}

InstallSequence::InstallSequence(InstallState& state, platform::Files& files,
                                 platform::Resources& resources, platform::System& system,
                                 platform::ProgressView& view, InstallSteps& steps)
    : state_(state),
      files_(files),
      system_(system),
      view_(view),
      steps_(steps),
      extractor_(files, resources, view) {}

void InstallSequence::ShowStatus(std::string_view text) {
    view_.ProcessMessages();
    view_.SetStatusText(std::string(text));
}

std::string InstallSequence::ComputeDataFolder(const std::string& installFolder) {
    if (system_.MajorVersion() <= 4) {
        return installFolder;
    }
    const Edition& edition = EditionOf(state_.edition);
    // An unset variable counts as empty: the candidate then starts at the drive root.
    const std::string candidate = system_.Environment("ALLUSERSPROFILE").value_or("") +
                                  "\\tidyKiosk\\" + std::string(edition.dataFolderName) + "\\";
    if (candidate == installFolder) {
        return installFolder;
    }
    if (files_.DirectoryExists(candidate) || files_.MakeDirectories(candidate)) {
        return candidate;
    }
    return installFolder;
}

void InstallSequence::ExtractAll(const std::string& installFolder, bool& complete) {
    for (int id = kFirstPayloadId; id <= kLastPayloadId; ++id) {
        view_.ProcessMessages();
        if (extractor_.ExtractPayload(id, installFolder, dataFolder_, state_.edition) ==
            ExtractOutcome::Failed) {
            complete = false;
        }
        view_.SetCurrentFileText("");
        view_.ProcessMessages();
        platform::profile::Mark("file", id);
    }
    extractor_.StepProgress();
    if (state_.edition != kClientEdition) {
        return;
    }
    for (const PayloadEntry& language : ClientLanguageList()) {
        view_.ProcessMessages();
        if (extractor_.ExtractClientLanguage(language.id, installFolder, dataFolder_) ==
            ExtractOutcome::Failed) {
            complete = false;
        }
        view_.SetCurrentFileText("");
        view_.ProcessMessages();
    }
}

void InstallSequence::WriteSettingsFile(const std::string& installFolder) {
    const Edition& edition = EditionOf(state_.edition);
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

InstallOutcome InstallSequence::Run() {
    bool complete = true;
    view_.SetProgressMax(kProgressMaximum);
    view_.SetProgressPosition(0);
    extractor_.StepProgress();
    ShowStatus(texts::kPreparingFolders);

    std::string installFolder = state_.silent
                                    ? SilentInstallFolder(files_, state_.silentFolderArgument)
                                    : state_.installFolder;
    if (installFolder.empty()) {
        return InstallOutcome::NoInstallFolder;
    }
    installFolder = WithTrailingBackslash(installFolder);
    state_.installFolder = installFolder;
    // A truncated or altered program installs nothing at all, not some of its files.
    if (extractor_.PayloadDamaged(state_.edition)) {
        throw InstallError(std::string(texts::kSetupDamaged));
    }
    if (!files_.DirectoryExists(installFolder)) {
        files_.MakeDirectories(installFolder);  // later steps fail one by one if this did
    }
    dataFolder_ = ComputeDataFolder(installFolder);
    platform::profile::Mark("folders and damage check");

    try {
        complete = steps_.SetFolderAccess(dataFolder_, installFolder) && complete;
    } catch (...) {
        complete = false;
    }
    platform::profile::Mark("folder rights");

    extractor_.StepProgress();
    ShowStatus(texts::kCopyingFiles);
    ExtractAll(installFolder, complete);
    WriteSettingsFile(installFolder);
    platform::profile::Mark("settings");

    view_.SetCurrentFileText(std::string(texts::kPleaseWait));
    ShowStatus(texts::kCreatingRegistryKeys);
    extractor_.StepProgress();

    try {
        const std::string helperPath = installFolder + "_fltw.exe";
        if (files_.FileExists(helperPath)) {
            complete = steps_.RunProviderStep(helperPath, installFolder + "plugin\\_kfilter.dll") &&
                       complete;
        } else {
            complete = false;  // the provider could not be seen to
        }
    } catch (...) {
        complete = false;
    }
    platform::profile::Mark("helper start");

    extractor_.StepProgress();
    ShowStatus(texts::kCreatingRegistryKeys);
    extractor_.StepProgress();
    ShowStatus(texts::kCreatingRegistryKeys);
    extractor_.StepProgress();
    ShowStatus(texts::kCreatingShortcuts);

    const Edition& edition = EditionOf(state_.edition);
    complete = steps_.MakeShortcuts(installFolder + std::string(edition.mainExecutable),
                                    std::string(edition.productName)) &&
               complete;
    platform::profile::Mark("shortcuts");

    extractor_.StepProgress();
    complete = steps_.WriteRegistryEntries() && complete;
    extractor_.StepProgress();
    platform::profile::Mark("registry");

    view_.ShowCompletion(state_.appName + std::string(texts::kSuccessfullyInstalled),
                         std::string(texts::kRunPrefix) + state_.appName);
    platform::profile::Mark("completion page");
    return complete ? InstallOutcome::Completed : InstallOutcome::Incomplete;
}

}  // namespace tk::install
