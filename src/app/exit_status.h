#pragma once
// The setup program's exit status, and how a run's outcome maps to it. The values never
// change; new ones go at the end.
#include "install/install_sequence.h"
#include "platform/crash_guard.h"

namespace tk::app {

enum class ExitStatus : int {
    Installed = 0,            // the install completed (silent), or Finish was pressed
    StoppedByError = 1,       // an error stopped the install; its message was reported
    NoInstallFolder = 2,      // the install folder was empty; nothing was written
    InstalledIncomplete = 3,  // installed, but some steps did not complete
    WizardQuit = 4,           // the user quit the wizard before the install completed
    AlreadyRunning = 5,       // another setup window is open; nothing was done
    FailedUnexpectedly = 6,   // the program itself failed (a crash); the install did not finish
    AnotherSetupRun = 7,      // another setup run is still in progress; nothing was done
    RestartRequired = 3010,   // installed; files in use are replaced when the computer restarts
};

// What one run did, as far as its exit status goes.
struct RunOutcome {
    enum class Install {
        NotRun,   // never started (the wizard was quit first, or a silent run failed before)
        Stopped,  // started, and an error stopped it
        Waited,   // did nothing: another setup run kept the setup-run lock
        Ran,      // ran to its end; `result` says how
    };
    bool silent = false;
    Install install = Install::NotRun;
    install::InstallOutcome result = install::InstallOutcome::Completed;
    bool lastPageShown = false;  // the wizard reached its completion page
    bool errorReported = false;  // an error was reported during the run
};

ExitStatus ExitStatusOf(const RunOutcome& run);

static_assert(static_cast<int>(ExitStatus::FailedUnexpectedly) == platform::kUnexpectedEndStatus);

}  // namespace tk::app
