#include "app/exit_status.h"

namespace tk::app {

StatusWords WordsOf(ExitStatus status) {
    using platform::EventType;
    switch (status) {
        case ExitStatus::Installed:
            return {"installed", EventType::Information};
        case ExitStatus::StoppedByError:
            return {"stopped by an error", EventType::Error};
        case ExitStatus::NoInstallFolder:
            return {"install folder empty: nothing was written", EventType::Error};
        case ExitStatus::InstalledIncomplete:
            return {"installed, but some steps did not complete", EventType::Warning};
        case ExitStatus::WizardQuit:
            return {"the wizard was quit before its install ran", EventType::Information};
        case ExitStatus::AlreadyRunning:
            return {"another setup wizard is already open: nothing was done", EventType::Error};
        case ExitStatus::FailedUnexpectedly:
            return {"the setup program failed unexpectedly", EventType::Error};
        case ExitStatus::AnotherSetupRun:
            return {"another setup run is still in progress: nothing was done", EventType::Error};
        case ExitStatus::RestartRequired:
            return {"installed; restart the computer to finish", EventType::Information};
    }
    return {"unknown", EventType::Error};
}

}  // namespace tk::app
