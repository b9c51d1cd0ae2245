#pragma once
// The one operation that installs the chosen edition.
#include <string>
#include <vector>

#include "install/extraction.h"
#include "install/folder_maker.h"
#include "install/install_request.h"
#include "install/progress.h"
#include "platform/files.h"
#include "platform/registry.h"
#include "platform/resources.h"
#include "platform/security.h"
#include "platform/shell.h"
#include "platform/system.h"

namespace tk::install {

// The one step of the install that needs the window: the window owns the provider-control
// component, which needs its handle. Answers true when the filter provider is registered or
// its helper was started; only called when the helper file exists.
class ProviderPort {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~ProviderPort() = default;

public:
    virtual bool RunProviderStep(const std::string& helperPath, const std::string& libraryPath) = 0;
};

// What the install needs of the system.
struct InstallPlatform {
    platform::Files& files;
    platform::Resources& resources;
    platform::System& system;
    platform::Shell& shell;
    platform::Security& security;
    platform::Registry& registry;
};

enum class InstallOutcome {
    Completed,        // every step did its work
    Incomplete,       // installed, but some step did not complete (it was swallowed)
    NoInstallFolder,  // the install folder was empty; nothing was written
    RestartPending,   // every step did its work; files in use are replaced at the next restart
};

// The steps whose failure does not stop a run: each is done, or noted as not done. The
// compatibility layer is set before the install, by the setup program for itself; a
// reported error is any other step that reported one.
enum class InstallStep {
    FolderAccess,
    Provider,
    Shortcuts,
    Registry,
    CompatibilityLayer,
    ReportedError,
};

// What a run left unfinished: files in use that are replaced at the next restart, files
// that were not written, and steps that did not complete.
struct InstallReport {
    std::vector<FileNote> files;
    std::vector<InstallStep> incompleteSteps;
};

bool RestartPending(const InstallReport& report);

inline constexpr int kProgressMaximum = ProgressPage::kMaximum;
// How long a setup run waits for another one on the same machine to finish.
inline constexpr std::uint32_t kSetupRunWaitMilliseconds = 10 * 60 * 1000;

// The long form of a path, or the path itself when the system gives none of 1 to 260
// characters.
std::string LongPathOf(platform::Files& files, const std::string& path);

// The folder as the system takes it, whatever its spelling: made full (no "..", no
// trailing dot), then the long form of its longest part that exists, followed by the parts
// that do not exist yet.
std::string SettledFolder(platform::Files& files, const std::string& folder);

// What the system's error number says, in the words of the console lines ("access denied",
// "disk full", "error 1234").
std::string ReasonText(std::uint32_t error);

// The install folder of a silent run, resolved once when its request is made: the third
// argument made a full path against the current folder (so that a relative folder never
// reaches the registry, the shortcuts or the helper's command line), then its long form.
std::string SilentInstallFolder(platform::Files& files, const std::string& argument);

class InstallSequence {
public:
    InstallSequence(InstallRequest request, const InstallPlatform& platform,
                    ProgressReporter& progress, ProviderPort& provider);

    // Runs the whole sequence; throws InstallError when a step stops it, or, leaving
    // nothing behind, when a payload stream of this edition is damaged.
    InstallOutcome Run();

    // The install folder as the run settled it (with its final backslash), and the data folder.
    const std::string& InstallFolder() const { return installFolder_; }
    const std::string& DataFolder() const { return dataFolder_; }
    const InstallReport& Report() const { return report_; }

private:
    std::string ComputeDataFolder(const std::string& installFolder);
    void ExtractAll(const std::string& installFolder);
    void WriteSettingsFile(const std::string& installFolder);
    // Notes a step that did not do all its work.
    void StepDone(bool done, InstallStep step);

    const InstallRequest request_;
    InstallPlatform platform_;
    platform::Files& files_;
    platform::System& system_;
    ProgressReporter& progress_;
    ProviderPort& provider_;
    FolderMaker folders_;  // the install folder and the data folder, where this run made them
    PayloadExtractor extractor_;
    std::string installFolder_;
    std::string dataFolder_;
    InstallReport report_;
};

}  // namespace tk::install
