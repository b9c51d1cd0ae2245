#include "platform/win32/error_mode.h"

#include "platform/win32/system_library.h"

namespace tk::platform::win32 {
namespace {

// The modes are set on the main thread before a second thread exists (the crash guard is the
// first thing the program does); from then on the lock keeps the starts one at a time.
UINT startMode = 0;
UINT ownMode = 0;
bool modesKnown = false;
CRITICAL_SECTION startLock;

// The boxes SetThreadErrorMode accepts.
constexpr UINT kThreadModes =
    SEM_FAILCRITICALERRORS | SEM_NOGPFAULTERRORBOX | SEM_NOOPENFILEERRORBOX;

using SetThreadErrorModeFunction = BOOL WINAPI(DWORD, DWORD*);

SetThreadErrorModeFunction* SetThreadErrorModeOrNull() {
    return LoadedFunction<SetThreadErrorModeFunction>(L"kernel32.dll", "SetThreadErrorMode");
}

}  // namespace

void SetOwnErrorMode(UINT mode) {
    if (!modesKnown) {
        startMode = ::SetErrorMode(mode);
        ::InitializeCriticalSection(&startLock);
        modesKnown = true;
    }
    ::EnterCriticalSection(&startLock);
    ownMode = startMode | mode;
    ::SetErrorMode(ownMode);
    ::LeaveCriticalSection(&startLock);
}

StartErrorModeScope::StartErrorModeScope() : active_(modesKnown) {
    if (!active_) {
        return;
    }
    ::EnterCriticalSection(&startLock);
    if (const auto setThreadErrorMode = SetThreadErrorModeOrNull()) {
        threadModeSet_ = setThreadErrorMode(ownMode & kThreadModes, &threadMode_) != 0;
    }
    ::SetErrorMode(startMode);
}

StartErrorModeScope::~StartErrorModeScope() {
    if (!active_) {
        return;
    }
    ::SetErrorMode(ownMode);
    if (threadModeSet_) {
        SetThreadErrorModeOrNull()(threadMode_, nullptr);
    }
    ::LeaveCriticalSection(&startLock);
}

}  // namespace tk::platform::win32
