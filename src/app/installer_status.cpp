// Errors reported to the person or the console.
#include "app/installer.h"

#include "app/ui_text.h"

namespace tk::app {

void TtkInstaller::ReportError(const std::string& message, install::InstallStep step) {
    run_.ReportedOutside(step, message);
    ShowError(message);
    if (model_.OnLastPage()) {
        ShowLastPage();  // it says what was not done, as the exit status will
    }
}

void TtkInstaller::ShowError(const std::string& message) {
    if (silent_ != nullptr) {
        SilentRunner::ReportError(message);
        return;
    }
    // The messages that stop an install name paths (the settings file).
    ShowMessage(window_, message, Caption(), MB_OK | MB_ICONERROR, true);
}

}  // namespace tk::app
