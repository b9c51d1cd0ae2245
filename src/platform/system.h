#pragma once
// Facts about the running system and process, and the clock.
#include <cstdint>
#include <optional>
#include <string>

namespace tk::platform {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

class System {
public:
    virtual ~System() = default;
    virtual unsigned MajorVersion() = 0;
    // GetEnvironmentVariableA; nothing when the variable is unset.
    virtual std::optional<std::string> Environment(const std::string& name) = 0;
    // Full path of the running program file, as the system reports it.
    virtual std::string ModulePath() = 0;
    virtual LocalDate Today() = 0;
    virtual void Sleep(std::uint32_t milliseconds) = 0;
    virtual std::uint32_t TickCount() = 0;
};

}  // namespace tk::platform
