#include "platform/win32/win32_wait.h"

namespace tk::platform::win32 {
namespace {

// Input that a look at the queue leaves there (a quit request that waits for the install
// to end, or messages the caller lets wait) wakes the wait again at once: looks are kept
// this far apart, so such input costs no spinning.
constexpr DWORD kLookGapMilliseconds = 10;

}  // namespace

bool WaitKeepingResponsive(HANDLE object, DWORD milliseconds, FunctionRef<void()> keepResponsive) {
    const DWORD count = object != nullptr ? 1 : 0;
    const DWORD start = ::GetTickCount();
    DWORD lastLook = start - kLookGapMilliseconds;
    for (;;) {
        const DWORD elapsed = ::GetTickCount() - start;
        if (milliseconds != INFINITE && elapsed >= milliseconds) {
            return false;
        }
        const DWORD left = milliseconds == INFINITE ? INFINITE : milliseconds - elapsed;
        const DWORD woken = ::MsgWaitForMultipleObjects(count, &object, FALSE, left, QS_ALLINPUT);
        if (woken == WAIT_OBJECT_0 + count) {
            const DWORD sinceLook = ::GetTickCount() - lastLook;
            if (sinceLook < kLookGapMilliseconds) {
                const DWORD gap = kLookGapMilliseconds - sinceLook;
                if (count == 0) {
                    ::Sleep(gap);
                } else if (::WaitForSingleObject(object, gap) == WAIT_OBJECT_0) {
                    return true;
                }
            }
            keepResponsive();
            lastLook = ::GetTickCount();
            continue;
        }
        if (count == 1 && woken == WAIT_OBJECT_0) {
            return true;
        }
        if (woken == WAIT_TIMEOUT) {
            return false;
        }
        // The system refused the wait itself: wait without the messages rather than not at all.
        if (count == 0) {
            ::Sleep(left);
            return false;
        }
        return ::WaitForSingleObject(object, left) == WAIT_OBJECT_0;
    }
}

}  // namespace tk::platform::win32
