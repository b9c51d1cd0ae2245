#pragma once
// Waiting on the window's thread without leaving the window unanswered.
#include <windows.h>

#include "platform/function_ref.h"

namespace tk::platform::win32 {

// Waits until `object` is signalled (with no object, only for the time), at most
// `milliseconds` (INFINITE for no limit), calling `keepResponsive` whenever messages arrive
// for this thread. True when the object was signalled.
bool WaitKeepingResponsive(HANDLE object, DWORD milliseconds, FunctionRef<void()> keepResponsive);

}  // namespace tk::platform::win32
