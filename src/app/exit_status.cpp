#include "app/exit_status.h"

namespace tk::app {

std::string_view MeaningOf(ExitStatus status) {
    switch (status) {
        case ExitStatus::Installed:
            return "installed";
        case ExitStatus::StoppedByError:
            return "stopped by an error";
        case ExitStatus::NoInstallFolder:
            return "install folder empty: nothing was written";
        case ExitStatus::InstalledIncomplete:
            return "installed, but some steps did not complete";
        case ExitStatus::WizardQuit:
            return "the wizard was quit before its install ran";
        case ExitStatus::AlreadyRunning:
            return "another setup wizard is already open: nothing was done";
        case ExitStatus::FailedUnexpectedly:
            return "the setup program failed unexpectedly";
        case ExitStatus::AnotherSetupRun:
            return "another setup run is still in progress: nothing was done";
        case ExitStatus::RestartRequired:
            return "installed; restart the computer to finish";
    }
    return "unknown";
}

platform::EventType EventTypeOf(ExitStatus status) {
    switch (status) {
        case ExitStatus::Installed:
        case ExitStatus::RestartRequired:
        case ExitStatus::WizardQuit:
            return platform::EventType::Information;
        case ExitStatus::InstalledIncomplete:
            return platform::EventType::Warning;
        default:
            return platform::EventType::Error;
    }
}

}  // namespace tk::app
