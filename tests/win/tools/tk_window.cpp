// Test tool: looks for windows from outside the setup program, as a user would see them.
//   tk_window wait-visible CLASS TIMEOUT_MS       exit 0 once a visible window of CLASS exists
//   tk_window watch-hidden CLASS DURATION_MS      exit 1 if a window of CLASS, or a message
//                                                 box, becomes visible within the duration
//   tk_window dialog-text TITLE TIMEOUT_MS        print the text of the message box TITLE
//   tk_window click-dialog TITLE BUTTON_ID        press a button of the message box TITLE
//   tk_window close CLASS                         ask the window of CLASS to close
//   tk_window pester CLASS TIMEOUT_MS             from the moment a window of CLASS exists
//                                                 (hidden or not) until it is gone, post
//                                                 WM_CLOSE every millisecond and ask whether
//                                                 the session may end; exit 1 if anything
//                                                 became visible, print what was sent
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <string>

namespace {

HWND FindVisibleDialog(const char* title) {
    HWND dialog = nullptr;
    while ((dialog = ::FindWindowExA(nullptr, dialog, "#32770", title)) != nullptr) {
        if (::IsWindowVisible(dialog)) {
            return dialog;
        }
    }
    return nullptr;
}

HWND WaitFor(const char* cls, const char* title, DWORD timeout) {
    const DWORD start = ::GetTickCount();
    do {
        HWND found = cls != nullptr ? ::FindWindowA(cls, nullptr) : FindVisibleDialog(title);
        if (found != nullptr && ::IsWindowVisible(found)) {
            return found;
        }
        ::Sleep(50);
    } while (::GetTickCount() - start < timeout);
    return nullptr;
}

std::string WideText(HWND window) {
    wchar_t text[4096] = {};
    ::GetWindowTextW(window, text, 4096);
    char out[8192] = {};
    ::WideCharToMultiByte(CP_UTF8, 0, text, -1, out, sizeof out, nullptr, nullptr);
    return out;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        std::fprintf(stderr, "usage: tk_window COMMAND ARGS\n");
        return 2;
    }
    const std::string command = argv[1];
    if (command == "wait-visible" && argc == 4) {
        HWND window = WaitFor(argv[2], nullptr, std::strtoul(argv[3], nullptr, 10));
        if (window == nullptr) {
            return 1;
        }
        std::printf("%s\n", WideText(window).c_str());
        return 0;
    }
    if (command == "watch-hidden" && argc == 4) {
        const DWORD duration = std::strtoul(argv[3], nullptr, 10);
        const DWORD start = ::GetTickCount();
        do {
            HWND window = ::FindWindowA(argv[2], nullptr);
            if ((window != nullptr && ::IsWindowVisible(window)) || FindVisibleDialog(nullptr)) {
                std::printf("a window became visible\n");
                return 1;
            }
            ::Sleep(5);
        } while (::GetTickCount() - start < duration);
        return 0;
    }
    if (command == "dialog-text" && argc == 4) {
        HWND dialog = WaitFor(nullptr, argv[2], std::strtoul(argv[3], nullptr, 10));
        if (dialog == nullptr) {
            return 1;
        }
        std::printf("%s\n", WideText(::GetDlgItem(dialog, 0xFFFF)).c_str());
        return 0;
    }
    if (command == "click-dialog" && argc == 4) {
        HWND dialog = WaitFor(nullptr, argv[2], 10000);
        if (dialog == nullptr) {
            return 1;
        }
        ::PostMessageA(dialog, WM_COMMAND, MAKEWPARAM(std::atoi(argv[3]), BN_CLICKED),
                       reinterpret_cast<LPARAM>(::GetDlgItem(dialog, std::atoi(argv[3]))));
        return 0;
    }
    if (command == "close") {
        HWND window = ::FindWindowA(argv[2], nullptr);
        if (window == nullptr) {
            return 1;
        }
        ::PostMessageA(window, WM_CLOSE, 0, 0);
        return 0;
    }
    if (command == "pester" && argc == 4) {
        const DWORD timeout = std::strtoul(argv[3], nullptr, 10);
        const DWORD start = ::GetTickCount();
        HWND window = nullptr;
        while (window == nullptr && ::GetTickCount() - start < timeout) {
            window = ::FindWindowA(argv[2], nullptr);
        }
        unsigned closes = 0, refused = 0, allowed = 0;
        while (window != nullptr && ::IsWindow(window) && ::GetTickCount() - start < timeout) {
            if (::IsWindowVisible(window) || FindVisibleDialog(nullptr)) {
                std::printf("a window became visible\n");
                return 1;
            }
            if (::PostMessageA(window, WM_CLOSE, 0, 0)) {
                ++closes;
            }
            DWORD_PTR answer = 0;
            if (closes % 50 == 1 && ::SendMessageTimeoutA(window, WM_QUERYENDSESSION, 0, 0,
                                                          SMTO_ABORTIFHUNG, 200, &answer)) {
                ++(answer != 0 ? allowed : refused);
            }
            ::Sleep(1);
        }
        std::printf("closes %u, end-session refused %u, allowed %u\n", closes, refused, allowed);
        return window == nullptr ? 1 : 0;
    }
    std::fprintf(stderr, "tk_window: unknown command %s\n", command.c_str());
    return 2;
}
