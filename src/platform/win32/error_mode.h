#pragma once
// The error mode says which of the system's own error boxes a process keeps away from its
// failures. The setup program keeps some away from itself (the crash guard), but a program it
// starts inherits the mode that is set at that moment, and with the crash box kept away
// nobody would ever hear of that program's own crashes. So each start puts back the mode the
// setup program was started with, for as long as the start takes.
#include <windows.h>

namespace tk::platform::win32 {

// Sets `mode` on top of the error mode the process was started with (its parent's), never on
// top of an earlier call's; the first call reads that start mode and keeps it.
void SetOwnErrorMode(UINT mode);

// While it lives, the process has the error mode it was started with, for a program started
// meanwhile to inherit; then the own mode again. Meanwhile this thread keeps the own mode's
// boxes away for itself (Windows 7 and later), and other starts wait. Before SetOwnErrorMode
// it changes nothing.
class StartErrorModeScope {
public:
    StartErrorModeScope();
    ~StartErrorModeScope();
    StartErrorModeScope(const StartErrorModeScope&) = delete;
    StartErrorModeScope& operator=(const StartErrorModeScope&) = delete;

private:
    bool active_ = false;
    bool threadModeSet_ = false;
    DWORD threadMode_ = 0;
};

}  // namespace tk::platform::win32
