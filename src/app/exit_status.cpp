#include "app/exit_status.h"

namespace tk::app {

ExitStatus ExitStatusOf(const RunOutcome& run) {
    using install::InstallOutcome;
    switch (run.install) {
        case RunOutcome::Install::Stopped:
            return ExitStatus::StoppedByError;
        case RunOutcome::Install::Waited:
            return ExitStatus::AnotherSetupRun;
        case RunOutcome::Install::NotRun:
            return run.silent ? ExitStatus::StoppedByError : ExitStatus::WizardQuit;
        case RunOutcome::Install::Ran:
            break;
    }
    if (!run.silent && !run.lastPageShown) {
        return ExitStatus::WizardQuit;  // quit while the install ran
    }
    if (run.result == InstallOutcome::NoInstallFolder) {
        return ExitStatus::NoInstallFolder;
    }
    if (run.result == InstallOutcome::Incomplete || run.errorReported) {
        return ExitStatus::InstalledIncomplete;  // wins over a pending restart
    }
    return run.result == InstallOutcome::RestartPending ? ExitStatus::RestartRequired
                                                        : ExitStatus::Installed;
}

}  // namespace tk::app
