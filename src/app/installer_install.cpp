// The install operations of the window: the silent path of FormCreate, the install
// sequence and its steps, each a short forwarder into the install layer, and the progress
// page that the sequence drives.
#include "app/installer.h"

#include <commctrl.h>

#include "app/platform_services.h"
#include "install/compatibility_layer.h"
#include "install/folder_access.h"
#include "install/install_error.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "platform/profile.h"
#include "provider/calmwall.h"

namespace tk::app {

void TtkInstaller::FormCreate() {
    // An error ends only the step it came from: the window is always fully built.
    for (const auto step : {&TtkInstaller::SetCompatibilityLayer, &TtkInstaller::StartWizard,
                            &TtkInstaller::RunSilentInstall, &TtkInstaller::FillPlaceholders}) {
        try {
            (this->*step)();
        } catch (const std::exception& error) {
            ReportError(error.what());
        }
    }
}

// Tabs hidden, page 0, app name, caption, page index, version panel, texts and the
// application's title.
void TtkInstaller::StartWizard() {
    model_.Start();
    Apply();
    platform::profile::Mark("window texts");
}

void TtkInstaller::RunSilentInstall() {
    if (!state_.silent) {
        return;
    }
    try {
        RunInstallSequence();
    } catch (...) {
        FinishOperation();
        throw;
    }
    FinishOperation();
}

void TtkInstaller::FillPlaceholders() {
    model_.FillPlaceholders();
    Apply();
}

void TtkInstaller::SetCompatibilityLayer() {
    install::SetCompatibilityLayer(platform_.registry, platform_.system);
    platform::profile::Mark("compatibility layer");
}

void TtkInstaller::RunInstallSequence() {
    install::InstallSequence sequence(
        silentRequest_ ? *silentRequest_ : model_.Request(),
        {platform_.files, platform_.resources, platform_.system, platform_.shell,
         platform_.security, platform_.registry},
        silentRunner_ ? static_cast<install::ProgressReporter&>(*silentRunner_) : progressPage_,
        *this);
    try {
        run_.result = sequence.Run();
        run_.install = RunOutcome::Install::Ran;
        if (run_.result != install::InstallOutcome::NoInstallFolder) {
            model_.Installed(sequence.InstallFolder());
            install::ShowCompletion(*this, state_.appName, sequence.Report());
        }
    } catch (const install::AnotherSetupRunError&) {
        run_.install = RunOutcome::Install::Waited;  // it did nothing at all
        throw;
    } catch (...) {
        // Whatever stopped the sequence, the install did not complete.
        run_.install = RunOutcome::Install::Stopped;
        if (silentRunner_) {
            silentRunner_->ReportUnfinished(sequence.Report());
        }
        throw;
    }
    if (silentRunner_) {
        silentRunner_->ReportUnfinished(sequence.Report());  // the wizard's last page says it
    }
}

bool TtkInstaller::SetFolderAccess(const std::string& dataFolder,
                                   const std::string& installFolder) {
    return install::FolderAccess(platform_.files, platform_.security, platform_.shell,
                                 platform_.system, [this] { ProcessMessages(); })
        .SetFolderAccess(dataFolder, installFolder);
}

bool TtkInstaller::RunProviderStep(const std::string& helperPath, const std::string& libraryPath) {
    provider::TVoFirewall firewall(reinterpret_cast<std::uintptr_t>(window_),
                                   {platform_.files, platform_.system, platform_.shell,
                                    platform_.catalogue, platform_.hiddenWindows});
    firewall.SetSilent(state_.silent);
    const bool installed = firewall.IsInstalled();
    platform::profile::Mark("provider catalogue");
    return installed || firewall.RunInstallHelper(helperPath, libraryPath, true);
}

bool TtkInstaller::MakeShortcuts(const std::string& targetPath, const std::string& linkName) {
    return install::ShortcutMaker(platform_.shell, platform_.files)
        .MakeShortcuts(targetPath, linkName);
}

bool TtkInstaller::WriteRegistryEntries(install::EditionCode edition,
                                        const std::string& installFolder) {
    return install::WriteRegistryEntries(platform_.registry, platform_.system, edition,
                                         installFolder);
}

void TtkInstaller::SetProgressMax(int maximum) {
    progressMax_ = maximum;
    ::SendMessageW(progressBar_, PBM_SETRANGE32, 0, maximum);
}

int TtkInstaller::ProgressMax() {
    return progressMax_;
}

void TtkInstaller::SetProgressPosition(int position) {
    progressPosition_ = position;
    ::SendMessageW(progressBar_, PBM_SETPOS, static_cast<WPARAM>(position), 0);
}

int TtkInstaller::ProgressPosition() {
    return progressPosition_;
}

void TtkInstaller::SetStatusText(const std::string& text) {
    model_.SetText(kStatusLine, text);
    Apply();
}

void TtkInstaller::SetCurrentFileText(const std::string& text) {
    model_.SetText(kCurrentFileLine, text);
    Apply();
}

void TtkInstaller::ShowCompletion(const std::string& completedText, const std::string& runCaption,
                                  bool runUnticked) {
    run_.lastPageShown = true;
    model_.Complete(completedText, runCaption, runUnticked);
    Apply();
}

}  // namespace tk::app
