// Measures one run of a program from inside Windows, for scripts/benchmark.sh.
//   bench_probe paint PROGRAM [ARGUMENT...]
//     Starts the program and waits until it has painted its first window, prints the
//     milliseconds from just before it was started until then, and until the window was
//     first seen visible, then ends it.
//   bench_probe memory PROGRAM [ARGUMENT...]
//     Starts the program, waits for its end, and prints the milliseconds it ran, its peak
//     working set and its peak private (pagefile-backed) memory in KiB.
// Exit status 0 with one line of numbers on stdout; 1 with a message on stderr otherwise.
#include <windows.h>
#include <psapi.h>

#include <algorithm>
#include <cstdio>
#include <string>
#include <vector>

namespace {

constexpr DWORD kTimeoutMilliseconds = 30000;

double MillisecondsSince(const LARGE_INTEGER& start) {
    LARGE_INTEGER now;
    LARGE_INTEGER frequency;
    ::QueryPerformanceCounter(&now);
    ::QueryPerformanceFrequency(&frequency);
    return static_cast<double>(now.QuadPart - start.QuadPart) * 1000.0 /
           static_cast<double>(frequency.QuadPart);
}

// The started program, and when it was started (just before CreateProcess).
struct Child {
    PROCESS_INFORMATION info{};
    LARGE_INTEGER started{};
    double Elapsed() const { return MillisecondsSince(started); }
    ~Child() {
        if (info.hProcess != nullptr) {
            ::CloseHandle(info.hThread);
            ::CloseHandle(info.hProcess);
        }
    }
};

std::string Quoted(const std::string& argument) {
    if (!argument.empty() && argument.find_first_of(" \t\"") == std::string::npos) {
        return argument;
    }
    std::string quoted = "\"";
    for (const char c : argument) {
        if (c == '"') {
            quoted += '\\';
        }
        quoted += c;
    }
    return quoted + "\"";
}

bool Start(const std::vector<std::string>& command, Child& child) {
    std::string line;
    for (const std::string& argument : command) {
        line += (line.empty() ? "" : " ") + Quoted(argument);
    }
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    ::QueryPerformanceCounter(&child.started);
    if (!::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                          &startup, &child.info)) {
        std::fprintf(stderr, "bench_probe: cannot start %s (error %lu)\n", line.c_str(),
                     ::GetLastError());
        return false;
    }
    return true;
}

struct Search {
    DWORD processId;
    HWND found;
};

BOOL CALLBACK FindVisibleWindow(HWND window, LPARAM parameter) {
    auto& search = *reinterpret_cast<Search*>(parameter);
    DWORD owner = 0;
    ::GetWindowThreadProcessId(window, &owner);
    RECT bounds{};
    if (owner == search.processId && ::IsWindowVisible(window) &&
        ::GetWindowRect(window, &bounds) && bounds.right > bounds.left &&
        bounds.bottom > bounds.top) {
        search.found = window;
        return FALSE;
    }
    return TRUE;
}

BOOL CALLBACK FindPendingPaint(HWND window, LPARAM parameter) {
    if (::IsWindowVisible(window) && ::GetUpdateRect(window, nullptr, FALSE)) {
        *reinterpret_cast<bool*>(parameter) = true;
        return FALSE;
    }
    return TRUE;
}

// Painted: the window is visible, its thread has come back to its message loop (it
// answered a message sent to it, which a thread does only while it takes messages), and
// neither it nor any visible child has an update region left. A thread paints only when
// nothing else is queued, so no region left means the pages it queued for itself are
// built and drawn too.
bool Painted(HWND window) {
    DWORD_PTR answer = 0;
    if (!::SendMessageTimeoutA(window, WM_NULL, 0, 0, SMTO_BLOCK, 1000, &answer)) {
        return false;
    }
    bool pending = ::GetUpdateRect(window, nullptr, FALSE) != FALSE;
    if (!pending) {
        ::EnumChildWindows(window, &FindPendingPaint, reinterpret_cast<LPARAM>(&pending));
    }
    return !pending;
}

int FirstPaint(const std::vector<std::string>& command) {
    Child child;
    if (!Start(command, child)) {
        return 1;
    }
    double visible = -1;
    double elapsed = -1;
    while (child.Elapsed() < kTimeoutMilliseconds) {
        if (::WaitForSingleObject(child.info.hProcess, 0) == WAIT_OBJECT_0) {
            break;
        }
        Search search{child.info.dwProcessId, nullptr};
        ::EnumWindows(&FindVisibleWindow, reinterpret_cast<LPARAM>(&search));
        if (search.found != nullptr && visible < 0) {
            visible = child.Elapsed();
        }
        if (search.found != nullptr && Painted(search.found)) {
            elapsed = child.Elapsed();
            break;
        }
        ::Sleep(1);
    }
    ::TerminateProcess(child.info.hProcess, 0);
    ::WaitForSingleObject(child.info.hProcess, kTimeoutMilliseconds);
    if (elapsed < 0) {
        std::fprintf(stderr, "bench_probe: no painted window\n");
        return 1;
    }
    std::printf("%.1f %.1f\n", elapsed, visible);
    return 0;
}

// The peak counters only grow; they are read while the program runs, because not every
// system still answers for a process that has ended, and once more at its end.
int PeakMemory(const std::vector<std::string>& command) {
    Child child;
    if (!Start(command, child)) {
        return 1;
    }
    PROCESS_MEMORY_COUNTERS peak{};
    const auto sample = [&] {
        PROCESS_MEMORY_COUNTERS counters{};
        counters.cb = sizeof counters;
        if (::GetProcessMemoryInfo(child.info.hProcess, &counters, sizeof counters)) {
            peak.PeakWorkingSetSize =
                std::max(peak.PeakWorkingSetSize, counters.PeakWorkingSetSize);
            peak.PeakPagefileUsage = std::max(peak.PeakPagefileUsage, counters.PeakPagefileUsage);
        }
    };
    DWORD waited = WAIT_TIMEOUT;
    while (waited == WAIT_TIMEOUT && child.Elapsed() < kTimeoutMilliseconds) {
        sample();
        waited = ::WaitForSingleObject(child.info.hProcess, 2);
    }
    const double elapsed = child.Elapsed();
    sample();
    if (waited != WAIT_OBJECT_0) {
        ::TerminateProcess(child.info.hProcess, 1);
        std::fprintf(stderr, "bench_probe: the program did not end\n");
        return 1;
    }
    if (peak.PeakWorkingSetSize == 0) {
        std::fprintf(stderr, "bench_probe: no memory counters (error %lu)\n", ::GetLastError());
        return 1;
    }
    std::printf("%.1f %lu %lu\n", elapsed,
                static_cast<unsigned long>(peak.PeakWorkingSetSize / 1024),
                static_cast<unsigned long>(peak.PeakPagefileUsage / 1024));
    return 0;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    const std::vector<std::string> command(argv + std::min(argc, 2), argv + argc);
    if (command.empty() || (mode != "paint" && mode != "memory")) {
        std::fprintf(stderr, "usage: bench_probe paint|memory PROGRAM [ARGUMENT...]\n");
        return 1;
    }
    return mode == "paint" ? FirstPaint(command) : PeakMemory(command);
}
