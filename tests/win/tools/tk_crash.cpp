// Test tool: installs the setup program's crash handlers as the program does (quiet first,
// then for the mode), then fails the way it is told.
//   tk_crash silent|wizard throw|fault|abort|library
//   tk_crash silent|wizard thread-fault
//   tk_crash silent|wizard error-mode START
// "library" is a range error found by the C++ library, raised as the setup program raises it.
// "thread-fault" faults on a second thread; the main thread waits until that failure is
// being reported (its box is up, or its console line is written: give the tool a file as
// its standard error), then returns 0 the way the setup program ends normally.
// "error-mode" sets START (hex) as the mode the process was started with, installs the
// handlers and prints the error mode they leave.
#include <windows.h>

#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "platform/crash_guard.h"

namespace {

// Kept out of the optimiser's sight so the fault really happens.
volatile int* volatile nowhere = nullptr;

void Throw() {
    throw std::runtime_error("thrown on purpose");
}

DWORD WINAPI Fault(void*) {
    *nowhere = 1;
    return 0;
}

BOOL CALLBACK StopAtVisible(HWND window, LPARAM) {
    return !::IsWindowVisible(window);
}

bool ReportUnderWay(DWORD threadId, bool silent) {
    if (silent) {
        const DWORD written = ::GetFileSize(::GetStdHandle(STD_ERROR_HANDLE), nullptr);
        return written != INVALID_FILE_SIZE && written > 0;
    }
    return !::EnumThreadWindows(threadId, &StopAtVisible, 0);  // stopped at a visible window
}

UINT CurrentErrorMode() {
    const UINT mode = ::SetErrorMode(0);
    ::SetErrorMode(mode);
    return mode;
}

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const bool silent = std::strcmp(argv[1], "silent") == 0;
    if (argc == 4 && std::strcmp(argv[2], "error-mode") == 0) {
        ::SetErrorMode(std::strtoul(argv[3], nullptr, 16));
    }
    tk::platform::InstallCrashHandlers(true);
    tk::platform::InstallCrashHandlers(silent);
    if (std::strcmp(argv[2], "throw") == 0) {
        Throw();
    } else if (std::strcmp(argv[2], "fault") == 0) {
        *nowhere = 1;
    } else if (std::strcmp(argv[2], "abort") == 0) {
        std::abort();
    } else if (std::strcmp(argv[2], "library") == 0) {
        return static_cast<int>(std::string(argv[2]).substr(argc + 10).size());  // past the end
    } else if (std::strcmp(argv[2], "thread-fault") == 0) {
        DWORD threadId = 0;
        ::CloseHandle(::CreateThread(nullptr, 0, &Fault, nullptr, 0, &threadId));
        for (int wait = 0; wait < 600 && !ReportUnderWay(threadId, silent); ++wait) {
            ::Sleep(50);
        }
    } else if (std::strcmp(argv[2], "error-mode") == 0) {
        std::printf("0x%04X\n", CurrentErrorMode());
    }
    return tk::platform::EndNormally(0);  // not reached for the four ways to fail at once
}
