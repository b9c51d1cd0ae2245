#pragma once
// The installer's fixed texts are code page 1254 bytes. Windows shows them through the wide
// entry points after an explicit conversion, so they read right whatever the system's
// ANSI code page is. Folder paths come from the system (its folders, the command line, the
// folder dialog) in its ANSI code page, and are shown converted from that.
#include <windows.h>

#include <string>

namespace tk::app {

std::wstring FromCp1254(const std::string& text);
std::wstring FromSystemCodePage(const std::string& text);
void SetControlText(HWND control, const std::string& text);
// `text` in code page 1254, or in the system's code page when it may name a path.
int ShowMessage(HWND owner, const std::string& text, const std::string& caption, UINT flags,
                bool textFromSystem = false);

}  // namespace tk::app
