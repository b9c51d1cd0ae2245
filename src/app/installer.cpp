#include "app/installer.h"

// GDI+ needs the property types that WIN32_LEAN_AND_MEAN leaves out.
#include <objidl.h>
#include <propidl.h>

#include <commctrl.h>
#include <gdiplus.h>
#include <objbase.h>
#include <shlobj.h>

#include <functional>

#include "app/platform_services.h"
#include "app/ui_text.h"
#include "install/catalogue.h"
#include "install/compatibility_layer.h"
#include "install/folder_access.h"
#include "install/install_error.h"
#include "install/registry_entries.h"
#include "install/shortcuts.h"
#include "platform/win32/unique_handle.h"
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

constexpr wchar_t kPageClassName[] = L"tkPage";
// The transparent colour of the pictures under resources/pictures (magenta).
constexpr Gdiplus::ARGB kPictureTransparentColour = 0xFFFF00FF;

struct FontTraits {
    using Type = HFONT;
    static Type Invalid() { return nullptr; }
    static void Close(Type font) { ::DeleteObject(font); }
};
struct ImageTraits {
    using Type = Gdiplus::GpImage*;
    static Type Invalid() { return nullptr; }
    static void Close(Type image) { Gdiplus::DllExports::GdipDisposeImage(image); }
};
struct StreamTraits {
    using Type = IStream*;
    static Type Invalid() { return nullptr; }
    static void Close(Type stream) { stream->Release(); }
};
struct ItemListTraits {
    using Type = LPITEMIDLIST;
    static Type Invalid() { return nullptr; }
    static void Close(Type list) { ::CoTaskMemFree(list); }
};
using Font = platform::win32::UniqueHandle<FontTraits>;
using Image = platform::win32::UniqueHandle<ImageTraits>;
using Stream = platform::win32::UniqueHandle<StreamTraits>;
using ItemList = platform::win32::UniqueHandle<ItemListTraits>;

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

Font MakeFont(int points, bool bold) {
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return Font(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              FromCp1254(std::string(kFontFace)).c_str()));
}

// A control's rectangle in its parent's client coordinates.
RECT RectInParent(HWND control) {
    RECT rect{};
    ::GetWindowRect(control, &rect);
    ::MapWindowPoints(HWND_DESKTOP, ::GetParent(control), reinterpret_cast<POINT*>(&rect), 2);
    return rect;
}

// The page control and its tab sheets: containers that paint their background and pass
// their children's notifications on to the installer window.
LRESULT CALLBACK PageProc(HWND page, UINT message, WPARAM wParam, LPARAM lParam) {
    switch (message) {
        case WM_COMMAND:
        case WM_NOTIFY:
        case WM_DRAWITEM:
        case WM_CTLCOLORSTATIC:
        case WM_CTLCOLORBTN:
        case WM_CTLCOLOREDIT:
        case WM_NEXTDLGCTL:  // Tab and Enter in the agreement
        case DM_GETDEFID:
        case WM_CLOSE:  // Esc in the agreement; a page never closes by itself
            return ::SendMessageW(::GetAncestor(page, GA_ROOT), message, wParam, lParam);
        case WM_ERASEBKGND: {
            const auto flags = static_cast<std::uint32_t>(::GetWindowLongPtrW(page, GWLP_USERDATA));
            const HDC dc = reinterpret_cast<HDC>(wParam);
            RECT client{};
            ::GetClientRect(page, &client);
            ::FillRect(
                dc, &client,
                ::GetSysColorBrush((flags & kWhitePage) != 0 ? COLOR_WINDOW : COLOR_BTNFACE));
            if ((flags & kHeaderBand) != 0) {
                RECT band{client.left, client.top, client.right, kHeaderBandHeight};
                ::FillRect(dc, &band, ::GetSysColorBrush(COLOR_WINDOW));
                RECT line{client.left, kHeaderBandHeight, client.right, kHeaderBandHeight + 2};
                ::DrawEdge(dc, &line, EDGE_ETCHED, BF_TOP);
            }
            return 1;
        }
        default:
            return ::DefWindowProcW(page, message, wParam, lParam);
    }
}

struct WindowClass {
    const wchar_t* name;
    unsigned long style;
    unsigned long extendedStyle;
};

constexpr unsigned long Style(long style) {
    return static_cast<unsigned long>(style);
}

WindowClass ClassOf(const ControlDef& control) {
    const auto flag = [&](std::uint32_t which, long style) {
        return (control.flags & which) != 0 ? Style(style) : 0ul;
    };
    switch (control.kind) {
        case ControlKind::PageControl:
        case ControlKind::TabSheet:
            return {kPageClassName, Style(WS_CLIPCHILDREN | WS_CLIPSIBLINGS), WS_EX_CONTROLPARENT};
        case ControlKind::Panel:
            return {L"STATIC", Style(SS_LEFT | SS_CENTERIMAGE | SS_NOPREFIX), 0};
        case ControlKind::Label:
            return {L"STATIC", Style(SS_LEFT) | flag(kNoPrefix, SS_NOPREFIX), 0};
        case ControlKind::Button:
            return {L"BUTTON", Style(WS_TABSTOP) | flag(kDefaultButton, BS_DEFPUSHBUTTON), 0};
        case ControlKind::CheckBox:
            return {L"BUTTON", Style(WS_TABSTOP | BS_AUTOCHECKBOX), 0};
        case ControlKind::RadioButton:
            return {L"BUTTON",
                    Style(BS_AUTORADIOBUTTON) | flag(kFirstInGroup, WS_GROUP | WS_TABSTOP), 0};
        case ControlKind::Edit:
            return {L"EDIT", Style(WS_TABSTOP | ES_READONLY | ES_AUTOHSCROLL), WS_EX_CLIENTEDGE};
        case ControlKind::Memo:
            return {L"EDIT", Style(WS_TABSTOP | ES_MULTILINE | ES_READONLY | WS_VSCROLL),
                    WS_EX_CLIENTEDGE};
        case ControlKind::Picture:
            return {L"STATIC", Style(SS_OWNERDRAW), 0};
        case ControlKind::ProgressBar:
            return {PROGRESS_CLASSW, 0, 0};
    }
    return {L"STATIC", 0, 0};
}

bool HasText(ControlKind kind) {
    switch (kind) {
        case ControlKind::Panel:
        case ControlKind::Label:
        case ControlKind::Button:
        case ControlKind::CheckBox:
        case ControlKind::RadioButton:
        case ControlKind::Edit:
            return true;
        default:
            return false;
    }
}

std::wstring WindowText(HWND window) {
    std::wstring text(static_cast<std::size_t>(::GetWindowTextLengthW(window)) + 1, L'\0');
    text.resize(static_cast<std::size_t>(
        ::GetWindowTextW(window, text.data(), static_cast<int>(text.size()))));
    return text;
}

}  // namespace

// Fonts and the two pictures of the welcome page, drawn with GDI+.
struct TtkInstaller::Resources {
    Font normal = MakeFont(kFontPoints, false);
    Font bold = MakeFont(kFontPoints, true);
    Font title = MakeFont(kTitleFontPoints, true);
    ULONG_PTR gdiplusToken = 0;
    Stream bannerStream;
    Stream logoStream;
    Image banner;
    Image logo;

    explicit Resources(platform::Resources& resources) {
        Gdiplus::GdiplusStartupInput input;
        if (Gdiplus::GdiplusStartup(&gdiplusToken, &input, nullptr) != Gdiplus::Ok) {
            gdiplusToken = 0;
            return;
        }
        Load(resources, kBannerResource, bannerStream, banner);
        Load(resources, kLogoResource, logoStream, logo);
    }
    ~Resources() {
        banner.reset();
        logo.reset();
        if (gdiplusToken != 0) {
            Gdiplus::GdiplusShutdown(gdiplusToken);
        }
    }
    Resources(const Resources&) = delete;
    Resources& operator=(const Resources&) = delete;

    // GDI+ reads the picture from its stream for as long as the picture lives.
    static void Load(platform::Resources& resources, int id, Stream& stream, Image& image) {
        const auto bytes = resources.RawData(id);
        if (!bytes) {
            return;
        }
        const HGLOBAL memory = ::GlobalAlloc(GMEM_MOVEABLE, bytes->size());
        if (memory == nullptr) {
            return;
        }
        std::copy(bytes->begin(), bytes->end(), static_cast<std::uint8_t*>(::GlobalLock(memory)));
        ::GlobalUnlock(memory);
        IStream* created = nullptr;
        if (FAILED(::CreateStreamOnHGlobal(memory, TRUE, &created))) {
            ::GlobalFree(memory);
            return;
        }
        stream.reset(created);
        Gdiplus::GpBitmap* bitmap = nullptr;
        if (Gdiplus::DllExports::GdipCreateBitmapFromStream(stream.get(), &bitmap) == Gdiplus::Ok) {
            image.reset(bitmap);
        }
    }

    HFONT FontOf(const ControlDef& control) const {
        if ((control.flags & kLargeBold) != 0) {
            return title.get();
        }
        return (control.flags & kBold) != 0 ? bold.get() : normal.get();
    }
};

TtkInstaller::TtkInstaller(install::InstallState& state, PlatformServices& platform,
                           std::vector<std::string> arguments)
    : state_(state),
      platform_(platform),
      arguments_(std::move(arguments)),
      model_(state, platform.shell) {}

TtkInstaller::~TtkInstaller() {
    if (window_ != nullptr) {
        ::DestroyWindow(window_);
    }
}

std::string TtkInstaller::Caption() const {
    return std::string(install::kGenericAppName) + std::string(texts::kCaptionSuffix);
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

    WNDCLASSEXW pageClass{};
    pageClass.cbSize = sizeof pageClass;
    pageClass.lpfnWndProc = &PageProc;
    pageClass.hInstance = instance;
    pageClass.hCursor = windowClass.hCursor;
    pageClass.lpszClassName = kPageClassName;
    ::RegisterClassExW(&pageClass);

    const DWORD style = WS_OVERLAPPED | WS_CAPTION | WS_SYSMENU | WS_MINIMIZEBOX | WS_CLIPCHILDREN;
    RECT bounds{0, 0, kClientWidth, kClientHeight};
    ::AdjustWindowRectEx(&bounds, style, FALSE, WS_EX_CONTROLPARENT);
    const int width = bounds.right - bounds.left;
    const int height = bounds.bottom - bounds.top;
    const int left = (::GetSystemMetrics(SM_CXSCREEN) - width) / 2;
    const int top = (::GetSystemMetrics(SM_CYSCREEN) - height) / 2;
    window_ = ::CreateWindowExW(WS_EX_CONTROLPARENT, L"tkInstaller", L"", style, left, top, width,
                                height, nullptr, nullptr, instance, this);
    if (window_ == nullptr) {
        return false;
    }
    CreateControls();
    FormCreate();
    return true;
}

// Builds every control of the window definition, in its order: that order is also the
// order in which Tab visits them.
void TtkInstaller::CreateControls() {
    const HINSTANCE instance = ::GetModuleHandleW(nullptr);
    resources_ = std::make_unique<Resources>(platform_.resources);
    for (const ControlDef& control : WindowDefinition()) {
        const WindowClass cls = ClassOf(control);
        const HWND parent = control.parent == 0 ? window_ : ControlWindow(control.parent);
        const DWORD visible = (control.flags & kHidden) != 0 ? 0 : WS_VISIBLE;
        const HWND created = ::CreateWindowExW(
            cls.extendedStyle, cls.name, FromCp1254(std::string(control.text)).c_str(),
            WS_CHILD | visible | cls.style, control.left, control.top, control.width,
            control.height, parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
            instance, nullptr);
        if (created == nullptr) {
            continue;
        }
        ::SetWindowPos(created, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
        ::SetWindowLongPtrW(created, GWLP_USERDATA, static_cast<LONG_PTR>(control.flags));
        ::SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(resources_->FontOf(control)),
                       FALSE);
        controls_[control.id] = created;
    }
    // The page control reaches under the buttons; that strip belongs to them.
    const ControlDef* pageControl = FindControl(kPageControl1);
    ::SetWindowRgn(ControlWindow(kPageControl1),
                   ::CreateRectRgn(0, 0, pageControl->width, kButtonTop - pageControl->top), FALSE);
    if (const auto agreement = platform_.resources.RawData(kAgreementResource)) {
        SetControlText(ControlWindow(kMemo1), std::string(agreement->begin(), agreement->end()));
    }
    progressBar_ = ControlWindow(kJvXPProgressBar1);
    nextButton_ = ControlWindow(kButton2);
    FormResize();
}

HWND TtkInstaller::ControlWindow(int id) const {
    const auto found = controls_.find(id);
    return found == controls_.end() ? nullptr : found->second;
}

void TtkInstaller::Apply() {
    for (const ControlDef& control : WindowDefinition()) {
        const HWND window = ControlWindow(control.id);
        if (window == nullptr) {
            continue;
        }
        const ControlState& wanted = model_.Control(control.id);
        if (HasText(control.kind)) {
            const std::wstring text = FromCp1254(wanted.text);
            if (WindowText(window) != text) {
                ::SetWindowTextW(window, text.c_str());
            }
        }
        if (control.kind == ControlKind::CheckBox || control.kind == ControlKind::RadioButton) {
            const WPARAM check = wanted.checked ? BST_CHECKED : BST_UNCHECKED;
            if (static_cast<WPARAM>(::SendMessageW(window, BM_GETCHECK, 0, 0)) != check) {
                ::SendMessageW(window, BM_SETCHECK, check, 0);
            }
        }
        if ((::IsWindowEnabled(window) != FALSE) != wanted.enabled) {
            ::EnableWindow(window, wanted.enabled ? TRUE : FALSE);
        }
        const bool visible = (::GetWindowLongPtrW(window, GWL_STYLE) & WS_VISIBLE) != 0;
        if (visible != wanted.visible) {
            ::ShowWindow(window, wanted.visible ? SW_SHOWNA : SW_HIDE);
        }
    }
    const std::wstring caption = FromCp1254(model_.Caption());
    if (WindowText(window_) != caption) {
        ::SetWindowTextW(window_, caption.c_str());  // also the taskbar's text
    }
    KeepFocusUsable();
}

// A page change may hide or disable the control that had the keyboard focus; the focus then
// goes to Next, or else to the first control of the page that may take it. Never to an
// unticked radio button: Windows ticks an automatic radio button that gets the focus, which
// would choose an edition for the user. And only while the wizard is the active window, so
// that a running install does not pull the focus back from another program.
void TtkInstaller::KeepFocusUsable() {
    if (state_.silent || !::IsWindowVisible(window_) || ::GetForegroundWindow() != window_) {
        return;
    }
    const HWND focus = ::GetFocus();
    if (focus != nullptr && ::IsChild(window_, focus) && ::IsWindowVisible(focus) &&
        ::IsWindowEnabled(focus)) {
        return;
    }
    const auto mayTakeFocus = [](HWND control) {
        wchar_t className[16] = {};
        ::GetClassNameW(control, className, 16);
        const LONG_PTR style = ::GetWindowLongPtrW(control, GWL_STYLE);
        const bool radio =
            ::lstrcmpiW(className, L"Button") == 0 && (style & BS_TYPEMASK) == BS_AUTORADIOBUTTON;
        return !radio || ::SendMessageW(control, BM_GETCHECK, 0, 0) == BST_CHECKED;
    };
    if (::IsWindowEnabled(nextButton_)) {
        ::SetFocus(nextButton_);
        return;
    }
    const HWND first = ::GetNextDlgTabItem(window_, nullptr, FALSE);
    for (HWND candidate = first; candidate != nullptr;) {
        if (mayTakeFocus(candidate)) {
            ::SetFocus(candidate);
            return;
        }
        candidate = ::GetNextDlgTabItem(window_, candidate, FALSE);
        if (candidate == first) {
            break;
        }
    }
}

void TtkInstaller::FormCreate() {
    const std::function<void()> steps[] = {
        [this] { SetCompatibilityLayer(); },
        [this] {
            // Tabs hidden, page 0, app name, caption, page index, version panel, texts and
            // the application's title.
            model_.Start();
            Apply();
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
        [this] {
            model_.FillPlaceholders();
            Apply();
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
    } catch (...) {
        // Whatever stopped the sequence, the install did not complete.
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
    model_.Finish();
    finished_ = true;
    closeQueryAttached_ = false;
    RequestQuit();
}

void TtkInstaller::QuitOperation() {
    if (ShowMessage(window_, model_.QuitQuestion(), Caption(), MB_YESNO | MB_ICONWARNING) ==
        IDYES) {
        closeQueryAttached_ = false;
        RequestQuit();
    }
}

// Every attempt to close the window is refused here and becomes the quit question.
bool TtkInstaller::FormCloseQuery() {
    QuitOperation();
    return false;
}

void TtkInstaller::FormResize() {
    const HWND banner = ControlWindow(kImage1);
    const HWND logo = ControlWindow(kImage2);
    if (banner == nullptr || logo == nullptr) {
        return;
    }
    const RECT bannerRect = RectInParent(banner);
    const RECT logoRect = RectInParent(logo);
    ControlDef bannerNow = *FindControl(kImage1);
    bannerNow.top = bannerRect.top;
    bannerNow.width = bannerRect.right - bannerRect.left;
    bannerNow.height = bannerRect.bottom - bannerRect.top;
    const Point at =
        LogoPosition(bannerNow, logoRect.right - logoRect.left, logoRect.bottom - logoRect.top);
    ::SetWindowPos(logo, nullptr, at.left, at.top, 0, 0,
                   SWP_NOSIZE | SWP_NOZORDER | SWP_NOACTIVATE);
}

void TtkInstaller::Button1Click() {
    ::SendMessageW(window_, WM_CLOSE, 0, 0);
}

void TtkInstaller::Button2Click(int tag) {
    const WizardAction action = model_.ButtonClick(tag);
    Apply();
    if (action == WizardAction::Finish) {
        FinishOperation();
    } else if (action == WizardAction::RunInstall) {
        ::RedrawWindow(window_, nullptr, nullptr, RDW_UPDATENOW | RDW_ALLCHILDREN);
        RunInstallSequence();
    }
}

// The folder dialog; the chosen folder gets the product's folders added by the model.
void TtkInstaller::Button4Click() {
    BROWSEINFOA browse{};
    browse.hwndOwner = window_;
    browse.ulFlags = BIF_RETURNONLYFSDIRS | BIF_NEWDIALOGSTYLE;
    const ItemList chosen(::SHBrowseForFolderA(&browse));
    if (!chosen) {
        return;  // cancelled: nothing changes
    }
    char folder[MAX_PATH] = {};
    if (!::SHGetPathFromIDListA(chosen.get(), folder) || folder[0] == '\0') {
        return;
    }
    model_.BrowseChose(folder);
    Apply();
}

void TtkInstaller::CheckBox1Click() {
    model_.AcceptClicked(::SendMessageW(ControlWindow(kCheckBox1), BM_GETCHECK, 0, 0) ==
                         BST_CHECKED);
    Apply();
}

void TtkInstaller::RadioButton1Click(int tag) {
    model_.EditionClicked(tag);
    Apply();
}

void TtkInstaller::OnCommand(int id) {
    try {
        switch (id) {
            case kButton1:
                Button1Click();
                break;
            case IDCANCEL:  // Esc
                if (model_.Control(kButton1).enabled) {
                    Button1Click();
                }
                break;
            case kButton2:
                Button2Click(kNextTag);
                break;
            case kButton3:
                Button2Click(kBackTag);
                break;
            case kButton4:
                Button4Click();
                break;
            case kCheckBox1:
                CheckBox1Click();
                break;
            case kRadioButton1:
                RadioButton1Click(install::kServerEdition);
                break;
            case kRadioButton2:
                RadioButton1Click(install::kClientEdition);
                break;
            case kCheckBox2:
                model_.RunClicked(::SendMessageW(ControlWindow(kCheckBox2), BM_GETCHECK, 0, 0) ==
                                  BST_CHECKED);
                break;
            default:
                break;
        }
    } catch (const std::exception& error) {
        ReportError(error.what());
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
        return ExitStatus::InstalledIncomplete;
    }
    return ExitStatus::Installed;
}

bool TtkInstaller::PreTranslate(MSG& message) {
    return window_ != nullptr && ::IsDialogMessageW(window_, &message) != FALSE;
}

void TtkInstaller::ProcessMessages() {
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The end was requested; the running sequence finishes first.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        if (!PreTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
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
    model_.SetText(LabelId(23), text);
    Apply();
}

void TtkInstaller::SetCurrentFileText(const std::string& text) {
    model_.SetText(kEdit2, text);
    Apply();
}

void TtkInstaller::ShowCompletion(const std::string& completedText, const std::string& runCaption) {
    completed_ = true;
    model_.Complete(completedText, runCaption);
    Apply();
}

void TtkInstaller::DrawPicture(const DRAWITEMSTRUCT& item) {
    // Each picture control draws the banner and the logo where they fall inside it, so the
    // logo's transparent parts show the banner whatever order the two are painted in.
    Gdiplus::GpGraphics* graphics = nullptr;
    if (Gdiplus::DllExports::GdipCreateFromHDC(item.hDC, &graphics) != Gdiplus::Ok) {
        return;
    }
    const RECT self = RectInParent(item.hwndItem);
    // The logo's transparent colour is keyed out as well, for GIF decoders that keep it as
    // an opaque palette entry.
    Gdiplus::GpImageAttributes* keyed = nullptr;
    Gdiplus::DllExports::GdipCreateImageAttributes(&keyed);
    if (keyed != nullptr) {
        Gdiplus::DllExports::GdipSetImageAttributesColorKeys(keyed, Gdiplus::ColorAdjustTypeDefault,
                                                             TRUE, kPictureTransparentColour,
                                                             kPictureTransparentColour);
    }
    for (const auto& [id, image] : {std::pair{kImage1, resources_->banner.get()},
                                    std::pair{kImage2, resources_->logo.get()}}) {
        if (image == nullptr) {
            continue;
        }
        UINT width = 0;
        UINT height = 0;
        Gdiplus::DllExports::GdipGetImageWidth(image, &width);
        Gdiplus::DllExports::GdipGetImageHeight(image, &height);
        const RECT rect = RectInParent(ControlWindow(id));
        Gdiplus::DllExports::GdipDrawImageRectRectI(
            graphics, image, rect.left - self.left, rect.top - self.top, rect.right - rect.left,
            rect.bottom - rect.top, 0, 0, static_cast<INT>(width), static_cast<INT>(height),
            Gdiplus::UnitPixel, keyed, nullptr, nullptr);
    }
    if (keyed != nullptr) {
        Gdiplus::DllExports::GdipDisposeImageAttributes(keyed);
    }
    Gdiplus::DllExports::GdipDeleteGraphics(graphics);
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
                FormCloseQuery();
            }
            return 0;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                OnCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case DM_GETDEFID:  // Enter presses Next, Install or Finish
            return MAKELRESULT(kButton2, DC_HASDEFID);
        case WM_NEXTDLGCTL:
            if (LOWORD(lParam) != 0) {
                ::SetFocus(reinterpret_cast<HWND>(wParam));
            } else {
                ::SetFocus(::GetNextDlgTabItem(window_, ::GetFocus(), wParam != 0));
            }
            return 0;
        case WM_SIZE:
            FormResize();
            break;
        case WM_DRAWITEM:
            DrawPicture(*reinterpret_cast<const DRAWITEMSTRUCT*>(lParam));
            return TRUE;
        case WM_CTLCOLORSTATIC: {
            const auto control = reinterpret_cast<HWND>(lParam);
            if ((::GetWindowLongPtrW(control, GWLP_USERDATA) & kOnWhite) != 0) {
                const auto dc = reinterpret_cast<HDC>(wParam);
                ::SetBkColor(dc, ::GetSysColor(COLOR_WINDOW));
                ::SetTextColor(dc, ::GetSysColor(COLOR_WINDOWTEXT));
                return reinterpret_cast<LRESULT>(::GetSysColorBrush(COLOR_WINDOW));
            }
            break;
        }
        case WM_UPDATEUISTATE:
            return 1;
        default:
            break;
    }
    return ::DefWindowProcW(window_, message, wParam, lParam);
}

}  // namespace tk::app
