#include "platform/win32/win32_event_log.h"

#include <windows.h>

#include "platform/win32/handles.h"

namespace tk::platform::win32 {
namespace {

constexpr DWORD kCrashEventMilliseconds = 3000;

WORD TypeOf(EventType type) {
    switch (type) {
        case EventType::Warning:
            return EVENTLOG_WARNING_TYPE;
        case EventType::Error:
            return EVENTLOG_ERROR_TYPE;
        case EventType::Information:
            break;
    }
    return EVENTLOG_INFORMATION_TYPE;
}

// The source's registration, written again at every run. Registering needs administrator
// rights, which the setup program asks for; without them the event is still written, and
// Event Viewer then shows its text after a note that its description cannot be found.
void RegisterSource() {
    HKEY opened = nullptr;
    if (::RegCreateKeyExA(HKEY_LOCAL_MACHINE, kEventSourceKey, 0, nullptr, REG_OPTION_NON_VOLATILE,
                          KEY_SET_VALUE, nullptr, &opened, nullptr) != ERROR_SUCCESS) {
        return;
    }
    const KeyHandle key(opened);
    ::RegSetValueExA(key.get(), "EventMessageFile", 0, REG_EXPAND_SZ,
                     reinterpret_cast<const BYTE*>(kEventMessageFile), sizeof kEventMessageFile);
    const DWORD types = EVENTLOG_ERROR_TYPE | EVENTLOG_WARNING_TYPE | EVENTLOG_INFORMATION_TYPE;
    ::RegSetValueExA(key.get(), "TypesSupported", 0, REG_DWORD,
                     reinterpret_cast<const BYTE*>(&types), sizeof types);
}

// One event of the source. The text is in the system's ANSI code page, as the paths in it
// come from the system; the event log keeps it converted from that.
bool Write(EventType type, std::uint32_t id, const char* text) {
    const HANDLE source = ::RegisterEventSourceA(nullptr, kEventSource);
    if (source == nullptr) {
        return false;
    }
    const char* strings[] = {text};
    const bool written =
        ::ReportEventA(source, TypeOf(type), 0, id, nullptr, 1, 0, strings, nullptr) != 0;
    ::DeregisterEventSource(source);
    return written;
}

DWORD WINAPI WriteCrashEvent(void* text) {
    Write(EventType::Error, EventIdOf(6), static_cast<const char*>(text));
    return 0;
}

}  // namespace

bool Win32EventLog::Report(EventType type, std::uint32_t id, const std::string& text) {
    RegisterSource();
    return Write(type, id, text.c_str());
}

void ReportCrashEvent(const char* text) {
    const HANDLE thread =
        ::CreateThread(nullptr, 0, &WriteCrashEvent, const_cast<char*>(text), 0, nullptr);
    if (thread != nullptr) {
        ::WaitForSingleObject(thread, kCrashEventMilliseconds);
        ::CloseHandle(thread);
    }
}

}  // namespace tk::platform::win32
