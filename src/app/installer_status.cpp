// How the run ends: errors reported to the person or the console, and the exit status.
#include "app/installer.h"

#include "app/ui_text.h"

namespace tk::app {

void TtkInstaller::ReportError(const std::string& message) {
    run_.errorReported = true;
    if (silentRunner_) {
        silentRunner_->ReportError(message);
        return;
    }
    // The messages that stop an install name paths (the settings file).
    ShowMessage(window_, message, Caption(), MB_OK | MB_ICONERROR, true);
}

ExitStatus TtkInstaller::Status() const {
    return ExitStatusOf(run_);
}

}  // namespace tk::app
