#include "platform/win32/win32_hidden_window.h"

#include <windows.h>

namespace tk::platform::win32 {
namespace {

// A message-only window: it takes every message sent to it and is never shown. Unlike a
// hidden top-level window it is left out of broadcasts such as WM_QUERYENDSESSION, whose
// answer here would only ever be "the session may end", and under Wine it costs no window
// of the display server. The messages of its creation go to the default procedure; once it
// exists, every message goes to the handler alone.
class Win32HiddenWindow final : public HiddenWindow {
public:
    explicit Win32HiddenWindow(MessageHandler handler) : handler_(std::move(handler)) {}
    ~Win32HiddenWindow() override {
        if (window_ != nullptr) {
            ::SetWindowLongPtrA(window_, GWLP_USERDATA, 0);
            ::DestroyWindow(window_);
        }
    }
    Win32HiddenWindow(const Win32HiddenWindow&) = delete;
    Win32HiddenWindow& operator=(const Win32HiddenWindow&) = delete;

    bool Open() {
        const HINSTANCE instance = ::GetModuleHandleA(nullptr);
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = &Win32HiddenWindow::WindowProc;
        windowClass.hInstance = instance;
        windowClass.lpszClassName = Win32HiddenWindows::kClassName;
        ::RegisterClassA(&windowClass);  // fails harmlessly when already registered
        window_ = ::CreateWindowExA(0, Win32HiddenWindows::kClassName, "", 0, 0, 0, 0, 0,
                                    HWND_MESSAGE, nullptr, instance, nullptr);
        if (window_ == nullptr) {
            return false;
        }
        ::SetWindowLongPtrA(window_, GWLP_USERDATA, reinterpret_cast<LONG_PTR>(this));
        return true;
    }

    std::uintptr_t Handle() const override { return reinterpret_cast<std::uintptr_t>(window_); }

private:
    static LRESULT CALLBACK WindowProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam) {
        auto* self =
            reinterpret_cast<Win32HiddenWindow*>(::GetWindowLongPtrA(window, GWLP_USERDATA));
        if (self == nullptr) {
            return ::DefWindowProcA(window, message, wParam, lParam);
        }
        try {
            return self->handler_(message, wParam, lParam);
        } catch (...) {
            // An error in one message must not take the window out of service.
            return 0;
        }
    }

    MessageHandler handler_;
    HWND window_ = nullptr;
};

}  // namespace

std::unique_ptr<HiddenWindow> Win32HiddenWindows::Create(MessageHandler handler) {
    auto window = std::make_unique<Win32HiddenWindow>(std::move(handler));
    if (!window->Open()) {
        return nullptr;
    }
    return window;
}

}  // namespace tk::platform::win32
