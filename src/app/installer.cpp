#include "app/installer.h"

#include <commctrl.h>
#include <objbase.h>

#include <functional>

#include "app/platform_services.h"
#include "app/ui_text.h"
#include "install/catalogue.h"
#include "install/compatibility_layer.h"
#include "install/folder_access.h"
#include "install/install_error.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "provider/calmwall.h"

namespace tk::app {
namespace {

// COM lives for the whole run of the installer module: initialised before the entry
// point's own code runs, uninitialised when the module is finalised at exit.
struct ComApartment {
    ComApartment() { ::CoInitialize(nullptr); }
    ~ComApartment() { ::CoUninitialize(); }
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};
const ComApartment comApartment;

constexpr int kClientWidth = 504;
constexpr int kClientHeight = 363;

enum ControlId : int {
    kIdButton1 = 1001,  // Cancel
    kIdButton2,         // Next
    kIdButton3,         // Back
    kIdEdit2,
    kIdLabel23,
    kIdProgress,
    kIdPanel,
};

// Writes a line to the console of the parent process, when there is one; a silent
// install shows no window and reports this way.
void WriteToParentConsole(const std::string& line) {
    HANDLE output = ::GetStdHandle(STD_ERROR_HANDLE);
    bool ownHandle = false;
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        if (!::AttachConsole(ATTACH_PARENT_PROCESS)) {
            return;
        }
        output = ::CreateFileA("CONOUT$", GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE,
                               nullptr, OPEN_EXISTING, 0, nullptr);
        if (output == INVALID_HANDLE_VALUE) {
            return;
        }
        ownHandle = true;
    }
    DWORD written = 0;
    ::WriteFile(output, line.data(), static_cast<DWORD>(line.size()), &written, nullptr);
    if (ownHandle) {
        ::CloseHandle(output);
    }
}

}  // namespace

TtkInstaller::TtkInstaller(install::InstallState& state, PlatformServices& platform,
                           std::vector<std::string> arguments)
    : state_(state), platform_(platform), arguments_(std::move(arguments)) {}

TtkInstaller::~TtkInstaller() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
    if (font_ != nullptr) {
        ::DeleteObject(font_);
    }
}

std::string TtkInstaller::Caption() const {
    return std::string(install::kGenericAppName) + " Installation";
}

bool TtkInstaller::Create() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TtkInstaller::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = ::LoadIconW(instance, MAKEINTRESOURCEW(1));
    windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_BTNFACE + 1);
    windowClass.lpszClassName = L"tkInstaller";
    ::RegisterClassExW(&windowClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT bounds{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&bounds, style, FALSE, 0);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = ::CreateWindowExW(0, L"tkInstaller", L"", style, left, top, width, height, nullptr,
                                nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    CreateControls();
    FormCreate();
    return true;
}

void TtkInstaller::CreateControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    NONCLIENTMETRICSW metrics{};
    metrics.cbSize = sizeof metrics;
    font_ = ::CreateFontW(-11, 0, 0, 0, FW_NORMAL, FALSE, FALSE, FALSE, DEFAULT_CHARSET,
                          OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS, DEFAULT_QUALITY,
                          DEFAULT_PITCH | FF_DONTCARE, L"Tahoma");
    const auto make = [&](const wchar_t* cls, DWORD style, int x, int y, int w, int h, int id) {
        HWND control =
            ::CreateWindowExW(0, cls, L"", WS_CHILD | WS_VISIBLE | style, x, y, w, h, window_,
                              reinterpret_cast<HMENU>(static_cast<INT_PTR>(id)), instance, nullptr);
        ::SendMessageW(control, WM_SETFONT, reinterpret_cast<WPARAM>(font_), TRUE);
        return control;
    };
    statusLabel_ = make(L"STATIC", SS_LEFT, 24, 120, 456, 16, kIdLabel23);
    fileEdit_ = make(L"EDIT", ES_READONLY | ES_AUTOHSCROLL | WS_BORDER, 24, 140, 456, 20, kIdEdit2);
    progressBar_ = make(PROGRESS_CLASSW, 0, 24, 170, 456, 17, kIdProgress);
    HWND panel = make(L"STATIC", SS_LEFT | SS_CENTERIMAGE, 8, 328, 185, 25, kIdPanel);
    SetControlText(panel, "Version v3");
    backButton_ = make(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 250, 328, 75, 25, kIdButton3);
    nextButton_ = make(L"BUTTON", BS_DEFPUSHBUTTON | WS_TABSTOP, 328, 328, 75, 25, kIdButton2);
    cancelButton_ = make(L"BUTTON", BS_PUSHBUTTON | WS_TABSTOP, 416, 328, 75, 25, kIdButton1);
    SetControlText(backButton_, "< Back");
    SetControlText(nextButton_, "&Next >");
    SetControlText(cancelButton_, "Cancel");
    ::ShowWindow(backButton_, SW_HIDE);
}

void TtkInstaller::FormCreate() {
    const std::function<void()> steps[] = {
        [this] { SetCompatibilityLayer(); },
        [this] {
            state_.appName = std::string(install::kGenericAppName);
            SetControlText(window_, Caption());
            state_.pageIndex = 0;
        },
        [this] {
            if (!state_.silent) {
                return;
            }
            try {
                // The edition was checked to be "0" or "1" by the silent rule.
                state_.edition = static_cast<install::EditionCode>(arguments_.at(1) == "1");
                state_.installFolder = install::LongPathOf(platform_.files, arguments_.at(2));
                RunInstallSequence();
            } catch (...) {
                FinishOperation();
                throw;
            }
            FinishOperation();
        },
    };
    // An error ends only the step it came from: the window is always fully built.
    for (const auto& step : steps) {
        try {
            step();
        } catch (const std::exception& error) {
            ReportError(error.what());
        }
    }
}

void TtkInstaller::Show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    FormShow();
}

void TtkInstaller::FormShow() {
    ::SetFocus(nextButton_);
}

void TtkInstaller::SetCompatibilityLayer() {
    install::SetCompatibilityLayer(platform_.registry, platform_.system);
}

void TtkInstaller::RunInstallSequence() {
    install::InstallSequence sequence(state_, platform_.files, platform_.resources,
                                      platform_.system, *this, *this);
    installRan_ = true;
    try {
        outcome_ = sequence.Run();
    } catch (const install::InstallError&) {
        installStopped_ = true;
        throw;
    }
}

bool TtkInstaller::SetFolderAccess(const std::string& dataFolder,
                                   const std::string& installFolder) {
    return install::FolderAccess(platform_.files, platform_.security, platform_.shell,
                                 platform_.system)
        .SetFolderAccess(dataFolder, installFolder);
}

bool TtkInstaller::RunProviderStep(const std::string& helperPath, const std::string& libraryPath) {
    provider::TVoFirewall firewall(reinterpret_cast<std::uintptr_t>(window_),
                                   {platform_.files, platform_.system, platform_.shell,
                                    platform_.catalogue, platform_.hiddenWindows});
    return firewall.IsInstalled() || firewall.RunInstallHelper(helperPath, libraryPath, true);
}

bool TtkInstaller::MakeShortcuts(const std::string& targetPath, const std::string& linkName) {
    return install::ShortcutMaker(platform_.shell, platform_.files)
        .MakeShortcuts(targetPath, linkName);
}

bool TtkInstaller::WriteRegistryEntries() {
    return install::WriteRegistryEntries(platform_.registry, platform_.system, state_.edition,
                                         state_.installFolder);
}

void TtkInstaller::FinishOperation() {
    if (!state_.silent && completed_) {
        // Starting the installed application comes with the wizard's last page.
    }
    finished_ = true;
    closeQueryAttached_ = false;
    RequestQuit();
}

void TtkInstaller::QuitOperation() {
    std::string question = "Are you sure you want to quit %app% Setup?";
    for (auto at = question.find("%app%"); at != std::string::npos;
         at = question.find("%app%", at + state_.appName.size())) {
        question.replace(at, 5, state_.appName);
    }
    if (ShowMessage(window_, question, Caption(), MB_YESNO | MB_ICONWARNING) == IDYES) {
        closeQueryAttached_ = false;
        RequestQuit();
    }
}

void TtkInstaller::RequestQuit() {
    ::PostQuitMessage(0);
}

void TtkInstaller::ReportError(const std::string& message) {
    errorReported_ = true;
    if (state_.silent) {
        WriteToParentConsole("tidykiosk_filter_v3: " + message + "\r\n");
        return;
    }
    ShowMessage(window_, message, Caption(), MB_OK | MB_ICONERROR);
}

ExitStatus TtkInstaller::Status() const {
    if (installStopped_) {
        return ExitStatus::StoppedByError;
    }
    if (!installRan_ || (!state_.silent && !finished_)) {
        return state_.silent ? ExitStatus::StoppedByError : ExitStatus::WizardQuit;
    }
    if (outcome_ == install::InstallOutcome::NoInstallFolder) {
        return ExitStatus::NoInstallFolder;
    }
    if (outcome_ == install::InstallOutcome::Incomplete || errorReported_) {
        return ExitStatus::InstalledIncomplete;
    }
    return ExitStatus::Installed;
}

void TtkInstaller::ProcessMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The end was requested; the running sequence finishes first.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
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
    SetControlText(statusLabel_, text);
}

void TtkInstaller::SetCurrentFileText(const std::string& text) {
    SetControlText(fileEdit_, text);
}

void TtkInstaller::ShowCompletion(const std::string& completedText, const std::string&) {
    completed_ = true;
    SetControlText(statusLabel_, completedText);
    ::EnableWindow(backButton_, FALSE);
    ::EnableWindow(cancelButton_, FALSE);
    SetControlText(nextButton_, "&Finish");
    ::EnableWindow(nextButton_, TRUE);
}

LRESULT CALLBACK TtkInstaller::WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_NCCREATE) {
        const auto* create = reinterpret_cast<const CREATESTRUCTW*>(lParam);
        ::SetWindowLongPtrW(window, GWLP_USERDATA,
                            reinterpret_cast<LONG_PTR>(create->lpCreateParams));
    }
    auto* self = reinterpret_cast<TtkInstaller*>(::GetWindowLongPtrW(window, GWLP_USERDATA));
    if (self != nullptr && self->window_ == window) {
        return self->HandleMessage(message, wParam, lParam);
    }
    return ::DefWindowProcW(window, message, wParam, lParam);
}

LRESULT TtkInstaller::HandleMessage(UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_CLOSE:
            if (closeQueryAttached_) {
                QuitOperation();
            }
            return 0;
        case WM_COMMAND:
            if (LOWORD(wParam) == kIdButton1 && HIWORD(wParam) == BN_CLICKED) {
                ::SendMessageW(window_, WM_CLOSE, 0, 0);
                return 0;
            }
            if (LOWORD(wParam) == kIdButton2 && HIWORD(wParam) == BN_CLICKED && completed_) {
                FinishOperation();
                return 0;
            }
            break;
        case WM_UPDATEUISTATE:
            return 1;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tk::app
