// The step timings of the benchmark build (platform/profile.h).
#include <windows.h>

#include <array>
#include <cstdio>
#include <string>

#include "platform/profile.h"

namespace tk::platform::profile {
namespace {

struct Step {
    std::string_view name;
    int number;
    LONGLONG end;  // performance counter
};

// More steps than a run marks; later marks are dropped rather than allocated for.
std::array<Step, 64> steps;
std::size_t stepCount = 0;
LONGLONG startCounter = 0;
double startUpMilliseconds = 0;

ULONGLONG Ticks(const FILETIME& time) {
    return (static_cast<ULONGLONG>(time.dwHighDateTime) << 32) | time.dwLowDateTime;
}

LONGLONG Counter() {
    LARGE_INTEGER now;
    ::QueryPerformanceCounter(&now);
    return now.QuadPart;
}

std::string Line(std::string_view name, int number, double milliseconds) {
    char text[96];
    std::snprintf(text, sizeof text, "profile: %.*s%s%s: %.2f ms\r\n",
                  static_cast<int>(name.size()), name.data(), number < 0 ? "" : " ",
                  number < 0 ? "" : std::to_string(number).c_str(), milliseconds);
    return text;
}

}  // namespace

void Start() {
    startCounter = Counter();
    FILETIME now;
    FILETIME creation;
    FILETIME exit;
    FILETIME kernel;
    FILETIME user;
    ::GetSystemTimeAsFileTime(&now);
    if (::GetProcessTimes(::GetCurrentProcess(), &creation, &exit, &kernel, &user)) {
        startUpMilliseconds = static_cast<double>(Ticks(now) - Ticks(creation)) / 1e4;
    }
}

void Mark(std::string_view step, int number) {
    if (stepCount < steps.size()) {
        steps[stepCount++] = {step, number, Counter()};
    }
}

void Report(Writer write) {
    LARGE_INTEGER frequency;
    ::QueryPerformanceFrequency(&frequency);
    const auto milliseconds = [&](LONGLONG from, LONGLONG to) {
        return static_cast<double>(to - from) * 1e3 / static_cast<double>(frequency.QuadPart);
    };
    std::string table = Line("start-up and DLL loading", -1, startUpMilliseconds);
    LONGLONG previous = startCounter;
    for (std::size_t i = 0; i < stepCount; ++i) {
        table += Line(steps[i].name, steps[i].number, milliseconds(previous, steps[i].end));
        previous = steps[i].end;
    }
    table += Line("total", -1, startUpMilliseconds + milliseconds(startCounter, previous));
    write(table);
}

}  // namespace tk::platform::profile
