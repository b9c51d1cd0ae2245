#include "platform/crash_guard.h"

#include <windows.h>

#include <cxxabi.h>

#include <csignal>
#include <cstdint>
#include <exception>
#include <string_view>

#include "platform/console.h"
#include "platform/win32/error_mode.h"
#include "platform/win32/win32_event_log.h"

namespace tk::platform {
namespace {

constexpr std::string_view kUnexpectedEnd = "The setup program failed unexpectedly";
volatile LONG silentMode = 1;

// How the process is ending. Whichever way is taken first holds: a failure being reported
// keeps the process until the report ends it, and a failure once the normal end has begun
// ends it at once, with the status for an unexpected end either way.
constexpr LONG kRunning = 0;
constexpr LONG kReportingFailure = 1;
constexpr LONG kEndingNormally = 2;
volatile LONG ending = kRunning;

// The line is put together without the heap, which may be what failed.
class FixedLine {
public:
    void Append(std::string_view text) {
        for (const char c : text) {
            if (length_ + 3 < sizeof text_) {
                text_[length_++] = c;
            }
        }
    }
    void AppendHex(unsigned long value) {
        char digits[11] = "0x00000000";
        for (int i = 9; i >= 2; --i, value >>= 4) {
            digits[i] = "0123456789ABCDEF"[value & 0xF];
        }
        Append(digits);
    }
    std::string_view Line() {
        text_[length_] = '\r';
        text_[length_ + 1] = '\n';
        return {text_, length_ + 2};
    }
    const char* Text() {
        text_[length_] = '\0';
        return text_;
    }

private:
    char text_[512] = {};
    std::size_t length_ = 0;
};

[[noreturn]] void WaitForTheEnd() {
    for (;;) {
        ::Sleep(INFINITE);
    }
}

[[noreturn]] void TerminateUnexpectedly() {
    ::TerminateProcess(::GetCurrentProcess(), static_cast<UINT>(kUnexpectedEndStatus));
    WaitForTheEnd();  // TerminateProcess does not return for the own process
}

void OnTerminate() {
    const char* detail = "an exception that nothing handled";
    // Rethrown only when there is one: a rethrow without an exception would end up here again.
    // (No exception_ptr: it would bring its own part of the library along.)
    if (abi::__cxa_current_exception_type() != nullptr) {
        try {
            throw;
        } catch (const std::exception& error) {
            detail = error.what();
        } catch (...) {
        }
    }
    EndUnexpectedly(detail);
}

LONG WINAPI OnFault(EXCEPTION_POINTERS* info) {
    FixedLine detail;
    detail.Append("exception ");
    detail.AppendHex(info != nullptr && info->ExceptionRecord != nullptr
                         ? info->ExceptionRecord->ExceptionCode
                         : 0);
    detail.Append(" at ");
    detail.AppendHex(info != nullptr && info->ExceptionRecord != nullptr
                         ? static_cast<unsigned long>(reinterpret_cast<std::uintptr_t>(
                               info->ExceptionRecord->ExceptionAddress))
                         : 0);
    EndUnexpectedly(detail.Text());
}

void OnAbort(int) {
    EndUnexpectedly("abort");
}

}  // namespace

void InstallCrashHandlers(bool silent) {
    ::InterlockedExchange(&silentMode, silent ? 1 : 0);
    std::set_terminate(&OnTerminate);
    ::SetUnhandledExceptionFilter(&OnFault);
    std::signal(SIGABRT, &OnAbort);
    // No fault box of the system's, ever: the filter above reports. Silent: no "insert a
    // disk" or "file not found" boxes either.
    UINT mode = SEM_NOGPFAULTERRORBOX;
    if (silent) {
        mode |= SEM_FAILCRITICALERRORS | SEM_NOOPENFILEERRORBOX;
    }
    win32::SetOwnErrorMode(mode);  // the programs it starts get the start mode back
}

int EndNormally(int status) {
    if (::InterlockedCompareExchange(&ending, kEndingNormally, kRunning) == kReportingFailure) {
        WaitForTheEnd();  // the report on another thread ends the process
    }
    return status;
}

void EndUnexpectedly(const char* detail) {
    if (::InterlockedExchange(&ending, kReportingFailure) != kRunning) {
        TerminateUnexpectedly();  // a second failure, or one during the normal end
    }
    FixedLine line;
    line.Append(kUnexpectedEnd);
    line.Append(": ");
    line.Append(detail != nullptr ? detail : "");
    // The event first: a box may wait for a person who is not there.
    FixedLine event;
    event.Append(silentMode != 0 ? "Ran: silent" : "Ran: wizard");
    event.Append("\r\nExit status: 6 (the setup program failed unexpectedly)\r\n");
    event.Append(line.Text());
    win32::ReportCrashEvent(event.Text());
    if (silentMode != 0) {
        FixedLine console;
        console.Append("tidykiosk_filter_v3: ");
        console.Append(line.Text());
        WriteToParentConsole(console.Line());
    } else {
        ::MessageBoxA(nullptr, line.Text(), "Error", MB_OK | MB_ICONERROR | MB_TASKMODAL);
    }
    TerminateUnexpectedly();
}

}  // namespace tk::platform
