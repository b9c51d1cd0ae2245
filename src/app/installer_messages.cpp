// The installer window's messages: the window procedure, commands, the keyboard and the
// focus rules, and the message pump that the install sequence runs between its steps.
#include "app/installer.h"

#include "app/wizard_layout.h"
#include "install/catalogue.h"

namespace tk::app {

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
            if (closeQueryAttached_ && !(silent_ != nullptr && SilentRunner::RefusesToClose())) {
                FormCloseQuery();
            }
            return 0;
        case WM_QUERYENDSESSION:
            return EndSessionQuery() ? TRUE : FALSE;
        case WM_COMMAND:
            if (HIWORD(wParam) == BN_CLICKED) {
                OnCommand(LOWORD(wParam));
                return 0;
            }
            break;
        case DM_GETDEFID:  // Enter presses Next, Install or Finish
            return MAKELRESULT(kNextButton, DC_HASDEFID);
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

void TtkInstaller::OnCommand(int id) {
    try {
        switch (id) {
            case kCancelButton:
                Button1Click();
                break;
            case IDCANCEL:  // Esc
                if (model_.Control(kCancelButton).enabled) {
                    Button1Click();
                }
                break;
            case kNextButton:
                Button2Click(kNextTag);
                break;
            case kBackButton:
                Button2Click(kBackTag);
                break;
            case kBrowseButton:
                Button4Click();
                break;
            case kAgreeCheckBox:
                CheckBox1Click();
                break;
            case kServerChoice:
                RadioButton1Click(static_cast<int>(install::kServerEdition));
                break;
            case kClientChoice:
                RadioButton1Click(static_cast<int>(install::kClientEdition));
                break;
            case kRunCheckBox:
                model_.RunClicked(::SendMessageW(ControlWindow(kRunCheckBox), BM_GETCHECK, 0, 0) ==
                                  BST_CHECKED);
                break;
            default:
                break;
        }
    } catch (const std::exception& error) {
        ReportError(error.what());
    }
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

// A page change may hide or disable the control that had the keyboard focus; the focus then
// goes to Next, or else to the first control of the page that may take it. Never to an
// unticked radio button: Windows ticks an automatic radio button that gets the focus, which
// would choose an edition for the user. And only while the wizard is the active window, so
// that a running install does not pull the focus back from another program.
void TtkInstaller::KeepFocusUsable() {
    if (!::IsWindowVisible(window_) || ::GetForegroundWindow() != window_) {
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

}  // namespace tk::app
