#pragma once
// One run of the setup program, as far as its end goes: whether and how the install ran,
// what was reported on the way, and from that alone the wizard's last page, the console
// lines of a silent run and the exit status. Every field is written here and nowhere else,
// so the last page and the status cannot tell two stories.
#include <optional>
#include <string>
#include <vector>

#include "app/exit_status.h"
#include "install/install_sequence.h"
#include "platform/event_log.h"

namespace tk::app {

enum class RunMode { Wizard, Silent };

// What the wizard's last page shows.
struct LastPage {
    std::string text;
    std::string runCaption;  // "Run " and the app name
    // "Run ..." starts unticked where the installed program may not work (files missing,
    // folder rights or the filter provider not done) or is still the old one (a restart).
    bool runUnticked = false;
};

// The run's event in the Application log: its type and id say the status; its text names the
// edition, the folder, how it ran, the status with its meaning, every line the console got
// and what the last page said.
struct RunEvent {
    platform::EventType type = platform::EventType::Information;
    std::uint32_t id = 0;
    std::string text;
};

// The event of a run that ended with `status`: `edition` is the edition's name and version
// (the generic app name when none was chosen), `lines` what the console got, `lastPage` what
// the wizard's last page said (empty when it was not shown). Without memory for its text, the
// event still has its type and id.
RunEvent EventOf(RunMode mode, ExitStatus status, const std::string& edition,
                 const std::string& folder, const std::vector<std::string>& lines,
                 const std::string& lastPage) noexcept;

// Writes the event, and answers `status`: a log that cannot be opened or written changes
// nothing else.
ExitStatus ReportEnd(platform::EventLog& log, const RunEvent& event, ExitStatus status) noexcept;

// The last page for what an install left.
LastPage LastPageOf(const std::string& appName, const install::InstallReport& report);
// One console line for each file the install scheduled or left, and each step not done.
std::vector<std::string> UnfinishedLinesOf(const install::InstallReport& report);

class InstallRun {
public:
    explicit InstallRun(RunMode mode) : mode_(mode) {}

    RunMode Mode() const { return mode_; }

    // Runs the install sequence once, with the progress reporter and the provider step of
    // the mode. The message of the error that stopped it, for the caller to report; nothing
    // when the sequence ran to its end.
    std::optional<std::string> Install(const install::InstallRequest& request,
                                       const install::InstallPlatform& platform,
                                       install::ProgressReporter& progress,
                                       install::ProviderPort& provider);

    // An error was reported outside the install; `step` says what it left undone.
    void ReportedOutside(install::InstallStep step, const std::string& message);

    // The last page, from the app name the wizard shows; nothing while the install has not
    // run to its end with a folder.
    std::optional<LastPage> Page(const std::string& appName) const;
    // The folder the install settled on, with its final backslash; empty before.
    const std::string& InstalledFolder() const { return installedFolder_; }
    // One line for each file the install scheduled or left, and each step not done.
    std::vector<std::string> UnfinishedLines() const;
    ExitStatus Status() const;
    // The event for the end of the run, with the app name the wizard shows.
    RunEvent Event(const std::string& appName) const noexcept;

private:
    enum class End {
        NotRun,   // never started (the wizard was quit first, or a silent run failed before)
        Stopped,  // started, and an error stopped it
        Waited,   // did nothing: another setup run kept the setup-run lock
        Ran,      // ran to its end; `result_` says how
    };
    const RunMode mode_;
    End end_ = End::NotRun;
    install::InstallOutcome result_ = install::InstallOutcome::Completed;
    install::InstallReport report_;
    std::vector<install::InstallStep> outside_;  // steps left undone outside the install
    std::optional<install::InstallRequest> request_;
    std::string installedFolder_;
    std::vector<std::string> lines_;  // what the console got, in its order
};

}  // namespace tk::app
