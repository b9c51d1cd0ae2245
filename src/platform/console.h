#pragma once
// The console of the parent process: where a silent install, which shows no window, says
// what went wrong.
#include <string_view>

namespace tk::platform {

// Writes the text to the parent process's console, when there is one; nothing otherwise.
void WriteToParentConsole(std::string_view text);

}  // namespace tk::platform
