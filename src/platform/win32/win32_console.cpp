#include "platform/console.h"

#include <windows.h>

namespace tk::platform {

void WriteToParentConsole(std::string_view text) {
    HANDLE output = ::GetStdHandle(STD_ERROR_HANDLE);
    bool ownHandle = false;
    if (output == nullptr || output == INVALID_HANDLE_VALUE) {
        // Attached by an earlier line already: that answers ERROR_ACCESS_DENIED.
        if (!::AttachConsole(ATTACH_PARENT_PROCESS) && ::GetLastError() != ERROR_ACCESS_DENIED) {
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
    ::WriteFile(output, text.data(), static_cast<DWORD>(text.size()), &written, nullptr);
    if (ownHandle) {
        ::CloseHandle(output);
    }
}

}  // namespace tk::platform
