#include "app/ui_text.h"

#include <vector>

namespace tk::app {

namespace {

std::wstring Widen(UINT codePage, const std::string& text) {
    if (text.empty()) {
        return std::wstring();
    }
    const int length =
        ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), nullptr, 0);
    std::wstring wide(static_cast<std::size_t>(length), L'\0');
    ::MultiByteToWideChar(codePage, 0, text.data(), static_cast<int>(text.size()), wide.data(),
                          length);
    return wide;
}

}  // namespace

std::wstring FromCp1254(const std::string& text) {
    return Widen(1254, text);
}

std::wstring FromSystemCodePage(const std::string& text) {
    return Widen(CP_ACP, text);
}

void SetControlText(HWND control, const std::string& text) {
    ::SetWindowTextW(control, FromCp1254(text).c_str());
}

int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                bool textFromSystem) {
    const std::wstring wide = textFromSystem ? FromSystemCodePage(text) : FromCp1254(text);
    return ::MessageBoxW(owner, wide.c_str(), FromCp1254(caption).c_str(), flags);
}

}  // namespace tk::app
