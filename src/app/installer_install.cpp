// The install operations of the window: the silent path of FormCreate, the install
// sequence and its steps, each a short forwarder into the install layer, and the progress
// page that the sequence drives.
#include "app/installer.h"

#include <commctrl.h>

#include "app/platform_services.h"
#include "install/compatibility_layer.h"
#include "install/folder_access.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "platform/profile.h"
#include "provider/calmwall.h"

namespace tk::app {

void TtkInstaller::FormCreate() {
    // An error ends only the step it came from: the window is always fully built.
    try {
        SetCompatibilityLayer();
    } catch (const std::exception& error) {
        ReportError(error.what(), install::InstallStep::CompatibilityLayer);
    }
    for (const auto step : {&TtkInstaller::StartWizard, &TtkInstaller::RunSilentInstall,
                            &TtkInstaller::FillPlaceholders}) {
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
    if (silent_ == nullptr) {
        return;
    }
    try {
        silent_->Run(Platform(), *this);
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

install::InstallPlatform TtkInstaller::Platform() {
    return {platform_.files, platform_.resources, platform_.system,
            platform_.shell, platform_.security,  platform_.registry};
}

// The wizard's install; a silent run's goes through SilentRunner.
void TtkInstaller::RunInstallSequence() {
    if (const auto stop = run_.Install(model_.Request(), Platform(), progressPage_, *this)) {
        ShowError(*stop);  // the window stays on the progress page
        return;
    }
    ShowLastPage();
}

void TtkInstaller::ShowLastPage() {
    const std::optional<LastPage> page = run_.Page(state_.appName);
    if (!page) {
        return;
    }
    model_.Installed(run_.InstalledFolder());
    model_.Complete(page->text, page->runCaption, page->runUnticked);
    Apply();
    platform::profile::Mark("completion page");
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
    firewall.SetSilent(run_.Mode() == RunMode::Silent);
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

}  // namespace tk::app
