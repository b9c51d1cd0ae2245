// Test tool: installs the setup program's crash handlers, then fails the way it is told.
//   tk_crash silent|wizard throw|fault|abort|library
// "library" is a range error found by the C++ library, raised as the setup program raises it.
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

}  // namespace

int main(int argc, char** argv) {
    if (argc != 3) {
        return 2;
    }
    tk::app::InstallCrashHandlers(std::strcmp(argv[1], "silent") == 0);
    if (std::strcmp(argv[2], "throw") == 0) {
        Throw();
    } else if (std::strcmp(argv[2], "fault") == 0) {
        *nowhere = 1;
    } else if (std::strcmp(argv[2], "abort") == 0) {
        std::abort();
    } else if (std::strcmp(argv[2], "library") == 0) {
        return static_cast<int>(std::string(argv[2]).substr(argc + 10).size());  // past the end
    }
    return 0;  // not reached for the four ways to fail
}
