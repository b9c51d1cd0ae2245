#include "app/ui_text.h"

#include <vector>

namespace tk::app {

std::wstring FromCp1254(const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length =
        ::MultiByteToWideChar(1254, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(1254, 0, text.data(), static_cast<int>(text.size()), wide.data(), length);
    return wide;
}

void SetControlText(HWND control, const std::string& text) {
    ::SetWindowTextW(control, FromCp1254(text).c_str());
}

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags) {
    return ::MessageBoxW(owner, FromCp1254(text).c_str(), FromCp1254(caption).c_str(), flags);
}

}  // namespace tk::app
