#pragma once
// TtkInstaller: the one installer window. It owns the wizard's controls, applies the
// wizard model to them and forwards their clicks to it, and offers the install operations;
// each operation forwards to the install layer. Its members are defined by concern:
//   installer_window.cpp    the window and its controls, built from the definition table
//   pictures.cpp            the welcome page's pictures and the logo's place
//   installer_messages.cpp  messages, commands, keyboard and focus
//   installer_events.cpp    the wizard's event handlers, finish and quit
//   installer_install.cpp   FormCreate, the install forwarders, the progress and last pages
//   installer_status.cpp    reported errors
// How the run ends (the last page, the exit status) is InstallRun's; a silent run's own
// ways (its progress, close requests, console lines) are SilentRunner's.
#include <windows.h>

#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "app/install_run.h"
#include "app/silent_runner.h"
#include "app/wizard_model.h"
#include "app/wizard_state.h"
#include "install/install_sequence.h"
#include "install/progress.h"
#include "platform/progress_view.h"

namespace tk::app {

class Pictures;
// The Win32 implementations of the platform interfaces, owned for the whole run.
struct PlatformServices;

class TtkInstaller final : public install::ProviderPort, public platform::ProgressView {
public:
    static constexpr const char* kClassName = "tkInstaller";

    // `silent`: the silent run the window serves, hidden; nothing for the wizard.
    TtkInstaller(WizardState& state, PlatformServices& platform, InstallRun& run,
                 SilentRunner* silent);
    ~TtkInstaller();
    TtkInstaller(const TtkInstaller&) = delete;
    TtkInstaller& operator=(const TtkInstaller&) = delete;

    // Creates the window and its controls, then runs FormCreate. False when the window
    // could not be made.
    bool Create();
    void Show();
    HWND Handle() const { return window_; }
    // Keyboard navigation of the wizard (Tab, Enter, Esc, the "&" keys); true when the
    // message was handled.
    bool PreTranslate(MSG& message);

    // Operations of the window.
    void FormCreate();
    void FormShow();
    bool FormCloseQuery();
    // Log-off or shutdown: in the wizard an attempt to close like any other, allowed only
    // when the quit question is answered Yes; always refused by a silent run.
    bool EndSessionQuery();
    void FormResize();
    void Button1Click();
    void Button2Click(int tag);
    void Button4Click();
    void CheckBox1Click();
    void RadioButton1Click(int tag);
    void SetCompatibilityLayer();
    void RunInstallSequence();
    void FinishOperation();
    void QuitOperation();

    // The install's steps under their published names; the install calls the layer below
    // itself, and the window only the provider step, which needs its handle.
    bool SetFolderAccess(const std::string& dataFolder, const std::string& installFolder);
    bool MakeShortcuts(const std::string& targetPath, const std::string& linkName);
    bool WriteRegistryEntries(install::EditionCode edition, const std::string& installFolder);

    // install::ProviderPort
    bool RunProviderStep(const std::string& helperPath, const std::string& libraryPath) override;

    // platform::ProgressView
    void ProcessMessages() override;
    void SetProgressMax(int maximum) override;
    int ProgressMax() override;
    void SetProgressPosition(int position) override;
    int ProgressPosition() override;
    void SetStatusText(const std::string& text) override;
    void SetCurrentFileText(const std::string& text) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void BuildShownSheets();
    void CreateControl(const ControlDef& control);
    // The steps of FormCreate after the compatibility layer.
    void StartWizard();
    install::InstallPlatform Platform();
    void RunSilentInstall();
    void FillPlaceholders();
    void OnCommand(int id);
    // Makes every control show what the model says.
    void Apply();
    void KeepFocusUsable();
    // An error reported outside the install: shown, and what it left undone noted.
    void ReportError(const std::string& message,
                     install::InstallStep step = install::InstallStep::ReportedError);
    // A message box in the wizard, a console line in a silent run.
    void ShowError(const std::string& message);
    // The last page as the run says it, once the install has run to its end.
    void ShowLastPage();
    void RequestQuit();
    std::string Caption() const;
    HWND ControlWindow(int id) const;
    void DrawPicture(const DRAWITEMSTRUCT& item);

    struct Fonts;

    WizardState& state_;
    PlatformServices& platform_;
    InstallRun& run_;
    SilentRunner* silent_;  // only in a silent run
    install::ProgressPage progressPage_{*this};
    WizardModel model_;
    std::unique_ptr<Fonts> fonts_;
    std::unique_ptr<Pictures> pictures_;
    HWND window_ = nullptr;
    std::vector<HWND> controls_;  // in the order of WindowDefinition()
    HWND progressBar_ = nullptr;  // JvXPProgressBar1
    HWND nextButton_ = nullptr;   // Button2
    int progressMax_ = 100;
    int progressPosition_ = 0;
    bool closeQueryAttached_ = true;
    bool controlsBuilt_ = false;
    std::vector<int> builtSheets_;  // tab sheets whose controls exist
};

}  // namespace tk::app
