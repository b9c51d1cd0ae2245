#include "app/silent_runner.h"

#include "platform/console.h"

namespace tk::app {

namespace {

std::string Line(const std::string& text) {
    return "tidykiosk_filter_v3: " + text + "\r\n";
}

}  // namespace

void SilentRunner::Run(const install::InstallPlatform& platform, install::ProviderPort& provider) {
    const std::optional<std::string> stop = run_.Install(request_, platform, *this, provider);
    std::string text;
    for (const std::string& line : run_.UnfinishedLines()) {
        text += Line(line);
    }
    if (stop) {
        text += Line(*stop);  // last, as the reason the run ended
    }
    if (!text.empty()) {
        platform::WriteToParentConsole(text);
    }
}

void SilentRunner::ReportError(const std::string& message) {
    platform::WriteToParentConsole(Line(message));
}

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
    MSG message;
    while (::PeekMessageW(&message, nullptr, 0, 0, PM_REMOVE)) {
        if (message.message == WM_QUIT) {
            // The end was requested; the running install finishes first.
            ::PostQuitMessage(static_cast<int>(message.wParam));
            return;
        }
        ::TranslateMessage(&message);
        ::DispatchMessageW(&message);
    }
}

}  // namespace tk::app
