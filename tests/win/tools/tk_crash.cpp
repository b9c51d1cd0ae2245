// Test tool: installs the setup program's crash handlers, then fails the way it is told.
//   tk_crash silent|wizard throw|fault|abort|library
//   tk_crash silent|wizard thread-fault
// "library" is a range error found by the C++ library, raised as the setup program raises it.
// "thread-fault" faults on a second thread; the main thread waits until that failure is
// being reported (its box is up, or its console line is written: give the tool a file as
// its standard error), then returns 0 the way the setup program ends normally.
#include <windows.h>

#include <cstdlib>
#include <cstring>
#include <stdexcept>
#include <string>

#include "app/crash_guard.h"

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

}  // namespace

int main(int argc, char** argv) {
    if (argc < 3) {
        return 2;
    }
    const bool silent = std::strcmp(argv[1], "silent") == 0;
    const std::string how = argv[2];
    tk::app::InstallCrashHandlers(silent);
    if (how == "throw") {
        Throw();
    } else if (how == "fault") {
        *nowhere = 1;
    } else if (how == "abort") {
        std::abort();
    } else if (how == "library") {
        return static_cast<int>(std::string(argv[2]).substr(argc + 10).size());  // past the end
    } else if (how == "thread-fault") {
        DWORD threadId = 0;
        ::CloseHandle(::CreateThread(nullptr, 0, &Fault, nullptr, 0, &threadId));
        for (int wait = 0; wait < 600 && !ReportUnderWay(threadId, silent); ++wait) {
            ::Sleep(50);
        }
    }
    return tk::app::EndNormally(0);  // not reached for the four ways to fail at once
}
