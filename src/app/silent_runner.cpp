#include "app/silent_runner.h"

#include "platform/console.h"

namespace tk::app {

namespace {

void WriteLines(const std::string& text) {
    if (!text.empty()) {
        platform::WriteToParentConsole(text);
    }
}

std::string Line(const std::string& text) {
    return "tidykiosk_filter_v3: " + text + "\r\n";
}

}  // namespace

void SilentRunner::KeepResponsive() {
    // The window is never shown, so nothing waits to be painted: the queue is looked at once
    // per pump interval, and a message sent or posted to the window (a close request, the
    // end of the session) is handled at most that much later. Each look is a call to the
    // system, and the install asks for about ninety.
    const DWORD now = ::GetTickCount();
    if (lastPump_ && now - *lastPump_ < kPumpMilliseconds) {
        return;
    }
    lastPump_ = now;
    window_.ProcessMessages();
}

void SilentRunner::ReportError(const std::string& message) {
    WriteLines(Line(message));
}

void SilentRunner::ReportUnfinished(const install::InstallReport& report) {
    std::string text;
    for (const std::string& line : install::ReportLines(report)) {
        text += Line(line);
    }
    WriteLines(text);
}

}  // namespace tk::app
