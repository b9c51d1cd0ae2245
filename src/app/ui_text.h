#pragma once
// The installer's texts are code page 1254 bytes. Windows shows them through the wide
// entry points after an explicit conversion, so they read right whatever the system's
// ANSI code page is.
#include <windows.h>

#include <string>

namespace tk::app {

std::wstring FromCp1254(const std::string& text);
void SetControlText(HWND control, const std::string& text);
int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags);

}  // namespace tk::app
