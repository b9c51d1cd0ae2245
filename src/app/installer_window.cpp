// The installer window built from its definition table: the window class, the pages and
// every control, and applying the wizard model to them.
#include "app/installer.h"

#include <commctrl.h>
#include <objbase.h>

#include <algorithm>

#include "app/pictures.h"
#include "app/platform_services.h"
#include "app/ui_text.h"
#include "install/catalogue.h"
#include "platform/profile.h"
#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace tk::app {
namespace {

// COM lives for the whole run of the installer module: initialised before the entry
// point's own code runs, uninitialised when the module is finalised at exit, and only when
// it was initialised (a failed call, such as another mode already set, is not undone).
struct ComApartment {
    ComApartment() : initialised(SUCCEEDED(::CoInitialize(nullptr))) {}
    ~ComApartment() {
        if (initialised) {
            ::CoUninitialize();
        }
    }
    const bool initialised;
    ComApartment(const ComApartment&) = delete;
    ComApartment& operator=(const ComApartment&) = delete;
};
const ComApartment comApartment;

constexpr wchar_t kPageClassName[] = L"tkPage";

// No input method for any window of the program: a window that takes no typing needs none,
// and the system would otherwise give the thread's first window a default IME window of
// its own. Only where input methods are already loaded; elsewhere there is nothing to do.
void DisableInputMethods() {
    typedef BOOL WINAPI DisableFn(DWORD);
    if (const auto disable =
            platform::win32::LoadedFunction<DisableFn>(L"imm32.dll", "ImmDisableIME")) {
        disable(static_cast<DWORD>(-1));  // every thread of the process
    }
}

// The tab sheet a control lies on, however deep; 0 for the sheets themselves and for the
// window's own controls.
int SheetOf(const ControlDef& control) {
    for (const ControlDef* at = &control; at->parent != 0;) {
        const ControlDef* parent = FindControl(at->parent);
        if (parent == nullptr) {
            return 0;
        }
        if (parent->kind == ControlKind::TabSheet) {
            return parent->id;
        }
        at = parent;
    }
    return 0;
}

using Font = platform::win32::GdiObject<HFONT>;

Font MakeFont(int points, bool bold) {
    const HDC screen = ::GetDC(nullptr);
    const int height = -::MulDiv(points, ::GetDeviceCaps(screen, LOGPIXELSY), 72);
    ::ReleaseDC(nullptr, screen);
    return Font(::CreateFontW(height, 0, 0, 0, bold ? FW_BOLD : FW_NORMAL, FALSE, FALSE, FALSE,
                              DEFAULT_CHARSET, OUT_DEFAULT_PRECIS, CLIP_DEFAULT_PRECIS,
                              DEFAULT_QUALITY, DEFAULT_PITCH | FF_DONTCARE,
                              FromCp1254(std::string(kFontFace)).c_str()));
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

// The three fonts of the window definition.
struct TtkInstaller::Fonts {
    Font normal = MakeFont(kFontPoints, false);
    Font bold = MakeFont(kFontPoints, true);
    Font title = MakeFont(kTitleFontPoints, true);

    HFONT FontOf(const ControlDef& control) const {
        if ((control.flags & kLargeBold) != 0) {
            return title.get();
        }
        return (control.flags & kBold) != 0 ? bold.get() : normal.get();
    }
};

TtkInstaller::TtkInstaller(WizardState& state, PlatformServices& platform, InstallRun& run,
                           SilentRunner* silent)
    : state_(state),
      platform_(platform),
      run_(run),
      silent_(silent),
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
    // A silent run's window is never shown and never typed into: it needs neither the
    // program's icon nor an input method.
    if (silent_ != nullptr) {
        DisableInputMethods();
    }
    WNDCLASSEXW windowClass{};
    windowClass.cbSize = sizeof windowClass;
    windowClass.lpfnWndProc = &TtkInstaller::WindowProc;
    windowClass.hInstance = instance;
    windowClass.hCursor = ::LoadCursorW(nullptr, reinterpret_cast<LPCWSTR>(IDC_ARROW));
    windowClass.hIcon = silent_ != nullptr ? nullptr : ::LoadIconW(instance, MAKEINTRESOURCEW(1));
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
    platform::profile::Mark("window creation");
    // A silent run never shows the window: its controls would only be drawn for nobody,
    // and building them loads the common controls library. The wizard model keeps every
    // control's state either way.
    if (silent_ == nullptr) {
        CreateControls();
    }
    FormCreate();
    return true;
}

// Builds the window's own controls, every tab sheet, and the controls on the sheets shown
// now; a sheet's controls are built when it is first shown (BuildShownSheets), so the first
// page is painted without waiting for the other six. Each sheet's controls are made in the
// definition's order, which is also the order in which Tab visits them.
void TtkInstaller::CreateControls() {
    // Loaded here rather than by the loader: only a window that is shown needs it. It stays
    // loaded until the program ends.
    platform::win32::SystemLibrary commonControls{L"comctl32.dll"};
    if (const auto initialise =
            commonControls.Find<decltype(::InitCommonControlsEx)>("InitCommonControlsEx")) {
        INITCOMMONCONTROLSEX classes{sizeof classes, ICC_PROGRESS_CLASS | ICC_STANDARD_CLASSES};
        initialise(&classes);
    }
    fonts_ = std::make_unique<Fonts>();
    pictures_ = std::make_unique<Pictures>(platform_.resources);
    platform::profile::Mark("fonts and pictures");
    controlsBuilt_ = true;
    for (const ControlDef& control : WindowDefinition()) {
        if (SheetOf(control) == 0) {
            CreateControl(control);
        }
    }
    BuildShownSheets();
    FormResize();
    platform::profile::Mark("controls");
}

void TtkInstaller::BuildShownSheets() {
    if (!controlsBuilt_) {
        return;  // a silent run has no controls at all
    }
    for (const ControlDef& sheet : WindowDefinition()) {
        if (sheet.kind != ControlKind::TabSheet || !model_.Control(sheet.id).visible ||
            std::find(builtSheets_.begin(), builtSheets_.end(), sheet.id) != builtSheets_.end()) {
            continue;
        }
        builtSheets_.push_back(sheet.id);
        for (const ControlDef& control : WindowDefinition()) {
            if (SheetOf(control) == sheet.id) {
                CreateControl(control);
            }
        }
    }
}

void TtkInstaller::CreateControl(const ControlDef& control) {
    const WindowClass cls = ClassOf(control);
    const HWND parent = control.parent == 0 ? window_ : ControlWindow(control.parent);
    const DWORD visible = (control.flags & kHidden) != 0 ? 0 : WS_VISIBLE;
    const HWND created = ::CreateWindowExW(
        cls.extendedStyle, cls.name, FromCp1254(std::string(control.text)).c_str(),
        WS_CHILD | visible | cls.style, control.left, control.top, control.width, control.height,
        parent, reinterpret_cast<HMENU>(static_cast<INT_PTR>(control.id)),
        ::GetModuleHandleW(nullptr), nullptr);
    if (created == nullptr) {
        return;
    }
    ::SetWindowPos(created, HWND_BOTTOM, 0, 0, 0, 0, SWP_NOMOVE | SWP_NOSIZE | SWP_NOACTIVATE);
    ::SetWindowLongPtrW(created, GWLP_USERDATA, static_cast<LONG_PTR>(control.flags));
    ::SendMessageW(created, WM_SETFONT, reinterpret_cast<WPARAM>(fonts_->FontOf(control)), FALSE);
    controls_.resize(WindowDefinition().size());
    controls_[ControlIndex(control.id)] = created;
    switch (control.id) {
        case kPages:
            // The page control reaches under the buttons; that strip belongs to them.
            ::SetWindowRgn(created, ::CreateRectRgn(0, 0, control.width, kButtonTop - control.top),
                           FALSE);
            break;
        case kAgreementText:
            if (const auto agreement = platform_.resources.RawData(kAgreementResource)) {
                SetControlText(created, std::string(agreement->begin(), agreement->end()));
            }
            break;
        case kProgressBar:
            progressBar_ = created;  // takes the range and position set before it existed
            ::SendMessageW(created, PBM_SETRANGE32, 0, progressMax_);
            ::SendMessageW(created, PBM_SETPOS, static_cast<WPARAM>(progressPosition_), 0);
            break;
        case kNextButton:
            nextButton_ = created;
            break;
        default:
            break;
    }
}

HWND TtkInstaller::ControlWindow(int id) const {
    const std::size_t index = ControlIndex(id);
    return index < controls_.size() ? controls_[index] : nullptr;
}

void TtkInstaller::Apply() {
    BuildShownSheets();  // before the sheet is shown, so that it shows complete
    for (const ControlDef& control : WindowDefinition()) {
        const HWND window = ControlWindow(control.id);
        if (window == nullptr) {
            continue;
        }
        const ControlState& wanted = model_.Control(control.id);
        if (HasText(control.kind)) {
            // The folder page's field and the summary's location show a folder path.
            const bool path = control.id == kFolderEdit || control.id == kSummaryFolder;
            const std::wstring text =
                path ? FromSystemCodePage(wanted.text) : FromCp1254(wanted.text);
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

void TtkInstaller::Show() {
    ::ShowWindow(window_, SW_SHOWNORMAL);
    ::UpdateWindow(window_);
    FormShow();
}

void TtkInstaller::FormShow() {
    ::SetFocus(nextButton_);
}

}  // namespace tk::app
