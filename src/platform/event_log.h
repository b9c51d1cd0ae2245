#pragma once
// The Windows Application event log, where administrators already collect what programs
// report: one event for each run of the setup program, under the product's own source.
#include <cstdint>
#include <string>

namespace tk::platform {

// The event source, as Event Viewer and "wevtutil" show it.
inline constexpr const char* kEventSource = "tidyKiosk Filter Setup";

enum class EventType { Information, Warning, Error };

// The event id of an exit status: 100 and the status for 0 to 7, 110 for 3010. Stable, and
// within the ids of the message file the source is registered with.
constexpr std::uint32_t EventIdOf(int status) {
    return status == 3010 ? 110u : 100u + static_cast<std::uint32_t>(status);
}

class EventLog {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~EventLog() = default;

public:
    // Registers the source (when it is not yet, or not as it should be) and writes one
    // event. False when it could not; nothing is shown and nothing waits on it either way.
    virtual bool Report(EventType type, std::uint32_t id, const std::string& text) = 0;
};

}  // namespace tk::platform
