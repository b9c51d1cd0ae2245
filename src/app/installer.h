#pragma once
// TtkInstaller: the one installer window. It owns the wizard's controls and offers the
// install operations; each operation forwards to the install layer.
#include <windows.h>

#include <string>
#include <vector>

#include "app/exit_status.h"
#include "install/install_sequence.h"
#include "install/install_state.h"
#include "platform/progress_view.h"

namespace tk::app {

// The Win32 implementations of the platform interfaces, owned for the whole run.
struct PlatformServices;

class TtkInstaller final : public install::InstallSteps, public platform::ProgressView {
public:
    static constexpr const char* kClassName = "tkInstaller";

    TtkInstaller(install::InstallState& state, PlatformServices& platform,
                 std::vector<std::string> arguments);
    ~TtkInstaller() override;
    TtkInstaller(const TtkInstaller&) = delete;
    TtkInstaller& operator=(const TtkInstaller&) = delete;

    // Creates the window and its controls, then runs FormCreate. False when the window
    // could not be made.
    bool Create();
    void Show();
    HWND Handle() const { return window_; }
    ExitStatus Status() const;

    // Operations of the window.
    void FormCreate();
    void FormShow();
    void SetCompatibilityLayer();
    void RunInstallSequence();
    void FinishOperation();
    void QuitOperation();

    // install::InstallSteps
    bool SetFolderAccess(const std::string& dataFolder, const std::string& installFolder) override;
    bool RunProviderStep(const std::string& helperPath, const std::string& libraryPath) override;
    bool MakeShortcuts(const std::string& targetPath, const std::string& linkName) override;
    bool WriteRegistryEntries() override;

    // platform::ProgressView
    void ProcessMessages() override;
    void SetProgressMax(int maximum) override;
    int ProgressMax() override;
    void SetProgressPosition(int position) override;
    int ProgressPosition() override;
    void SetStatusText(const std::string& text) override;
    void SetCurrentFileText(const std::string& text) override;
    void ShowCompletion(const std::string& completedText, const std::string& runCaption) override;

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);
    LRESULT HandleMessage(UINT message, WPARAM wParam, LPARAM lParam);
    void CreateControls();
    void ReportError(const std::string& message);
    void RequestQuit();
    std::string Caption() const;

    install::InstallState& state_;
    PlatformServices& platform_;
    std::vector<std::string> arguments_;
    HWND window_ = nullptr;
    HFONT font_ = nullptr;
    HWND progressBar_ = nullptr;
    HWND statusLabel_ = nullptr;   // Label23
    HWND fileEdit_ = nullptr;      // Edit2
    HWND nextButton_ = nullptr;    // Button2
    HWND backButton_ = nullptr;    // Button3
    HWND cancelButton_ = nullptr;  // Button1
    int progressMax_ = 100;
    int progressPosition_ = 0;
    bool closeQueryAttached_ = true;
    bool completed_ = false;
    bool installStopped_ = false;
    bool errorReported_ = false;
    install::InstallOutcome outcome_ = install::InstallOutcome::Completed;
    bool installRan_ = false;
    bool finished_ = false;
};

}  // namespace tk::app
