#pragma once
#include "platform/event_log.h"

namespace tk::platform::win32 {

// The source's key under the Application log.
inline constexpr char kEventSourceKey[] =
    "SYSTEM\\CurrentControlSet\\Services\\EventLog\\Application\\tidyKiosk Filter Setup";
// The message file the source is registered with: the system's own "EventCreate.exe", whose
// messages 1 to 1000 are each the event's text as it was written. It is still there when the
// events are read, long after the setup program (often deleted after a deployment) is gone.
inline constexpr char kEventMessageFile[] = "%SystemRoot%\\System32\\EventCreate.exe";

class Win32EventLog final : public EventLog {
public:
    bool Report(EventType type, std::uint32_t id, const std::string& text) override;
};

// The event of an unexpected end, written from the crash handler: the text is the handler's
// own fixed line. It is written on a thread of its own, waited for at most a few seconds, so
// a process too broken to write it still ends at once.
void ReportCrashEvent(const char* text);

}  // namespace tk::platform::win32
