#pragma once
// The setup program's exit status (InstallRun::Status answers it for a run). The values
// never change; new ones go at the end.
#include <string_view>

#include "platform/crash_guard.h"
#include "platform/event_log.h"

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

// The status in the words of the README's table, short, and the type of the run's event:
// information for a complete install and for a quit wizard, a warning for an incomplete one,
// an error for every run that installed nothing.
struct StatusWords {
    std::string_view meaning;
    platform::EventType type;
};
StatusWords WordsOf(ExitStatus status);

static_assert(static_cast<int>(ExitStatus::FailedUnexpectedly) == platform::kUnexpectedEndStatus);

}  // namespace tk::app
