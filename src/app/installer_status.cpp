// How the run ends: errors reported to the person or the console, and the exit status.
#include "app/installer.h"

#include "app/console.h"
#include "app/ui_text.h"

namespace tk::app {

void TtkInstaller::ReportError(const std::string& message) {
    errorReported_ = true;
    if (state_.silent) {
        WriteToParentConsole("tidykiosk_filter_v3: " + message + "\r\n");
        return;
    }
    // The messages that stop an install name paths (the settings file).
    ShowMessage(window_, message, Caption(), MB_OK | MB_ICONERROR, true);
}

ExitStatus TtkInstaller::Status() const {
    if (installStopped_) {
        return ExitStatus::StoppedByError;
    }
    if (!installRan_) {
        return state_.silent ? ExitStatus::StoppedByError : ExitStatus::WizardQuit;
    }
    if (!state_.silent && !completed_) {
        return ExitStatus::WizardQuit;  // quit while the install ran
    }
    if (outcome_ == install::InstallOutcome::NoInstallFolder) {
        return ExitStatus::NoInstallFolder;
    }
    if (outcome_ == install::InstallOutcome::Incomplete || errorReported_) {
        return ExitStatus::InstalledIncomplete;  // wins over a pending restart
    }
    if (outcome_ == install::InstallOutcome::RestartPending) {
        return ExitStatus::RestartRequired;
    }
    return ExitStatus::Installed;
}

}  // namespace tk::app
