// Starting programs through the real shell: what a started program inherits, and a start that
// fails quietly.
#include <windows.h>
#include <psapi.h>

#include <gtest/gtest.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/error_mode.h"
#include "platform/win32/win32_shell.h"
#include "win_test_support.h"

namespace tk {
namespace {

// Wine passes no error mode to a started program, so what a program would inherit is read
// here, in the process, at the moment the shell creates it: every loaded module's import of
// CreateProcessW is pointed at a recorder for as long as this object lives.
class CreateProcessRecorder {
public:
    using Function = BOOL WINAPI(LPCWSTR, LPWSTR, LPSECURITY_ATTRIBUTES, LPSECURITY_ATTRIBUTES,
                                 BOOL, DWORD, LPVOID, LPCWSTR, LPSTARTUPINFOW,
                                 LPPROCESS_INFORMATION);
    CreateProcessRecorder() {
        // kernel32 passes its export on through its own import of the function: that one stays.
        const HMODULE exporter = ::GetModuleHandleA("kernel32.dll");
        original = reinterpret_cast<Function*>(
            reinterpret_cast<void*>(::GetProcAddress(exporter, "CreateProcessW")));
        HMODULE modules[512] = {};
        DWORD size = 0;
        ::EnumProcessModules(::GetCurrentProcess(), modules, sizeof modules, &size);
        for (DWORD i = 0; i < size / sizeof(HMODULE) && i < 512; ++i) {
            if (modules[i] != exporter) {
                Redirect(reinterpret_cast<BYTE*>(modules[i]));
            }
        }
    }
    ~CreateProcessRecorder() {
        for (const auto& [slot, value] : slots_) {
            Write(slot, value);
        }
    }
    static inline Function* original = nullptr;
    static inline std::vector<UINT> modes;  // the error mode at each creation

private:
    static BOOL WINAPI Record(LPCWSTR application, LPWSTR command, LPSECURITY_ATTRIBUTES process,
                              LPSECURITY_ATTRIBUTES thread, BOOL inherit, DWORD flags,
                              LPVOID environment, LPCWSTR folder, LPSTARTUPINFOW startup,
                              LPPROCESS_INFORMATION information) {
        modes.push_back((flags & CREATE_DEFAULT_ERROR_MODE) != 0 ? 0 : ::GetErrorMode());
        return original(application, command, process, thread, inherit, flags, environment, folder,
                        startup, information);
    }
    static void Write(void** slot, void* value) {
        DWORD protection = 0;
        ::VirtualProtect(slot, sizeof value, PAGE_READWRITE, &protection);
        *slot = value;
        ::VirtualProtect(slot, sizeof value, protection, &protection);
    }
    void Redirect(BYTE* base) {
        const auto* headers = reinterpret_cast<const IMAGE_NT_HEADERS*>(
            base + reinterpret_cast<const IMAGE_DOS_HEADER*>(base)->e_lfanew);
        const IMAGE_DATA_DIRECTORY& imports =
            headers->OptionalHeader.DataDirectory[IMAGE_DIRECTORY_ENTRY_IMPORT];
        if (imports.VirtualAddress == 0) {
            return;
        }
        for (auto* library =
                 reinterpret_cast<const IMAGE_IMPORT_DESCRIPTOR*>(base + imports.VirtualAddress);
             library->Name != 0; ++library) {
            if (library->OriginalFirstThunk == 0) {
                continue;
            }
            const auto* name =
                reinterpret_cast<const IMAGE_THUNK_DATA*>(base + library->OriginalFirstThunk);
            auto** slot = reinterpret_cast<void**>(base + library->FirstThunk);
            for (; name->u1.AddressOfData != 0; ++name, ++slot) {
                if (IMAGE_SNAP_BY_ORDINAL(name->u1.Ordinal) ||
                    std::strcmp(
                        reinterpret_cast<const char*>(reinterpret_cast<const IMAGE_IMPORT_BY_NAME*>(
                                                          base + name->u1.AddressOfData)
                                                          ->Name),
                        "CreateProcessW") != 0) {
                    continue;
                }
                if (*slot != reinterpret_cast<void*>(&Record)) {  // a module listed twice
                    slots_.emplace_back(slot, *slot);
                    Write(slot, reinterpret_cast<void*>(&Record));
                }
            }
        }
    }
    std::vector<std::pair<void**, void*>> slots_;  // each with the value it had
};

TEST(ShellTest, EveryStartGivesTheProgramTheErrorModeTheProcessWasStartedWith) {
    // The crash guard's modes: a start mode of the parent's, and the fault and critical-error
    // boxes kept away on top of it. The test program gets its own mode back at the end (left
    // in these, it crashed or hung now and then in later tests under the emulator).
    struct RestoredAtEnd {
        UINT mode;
        ~RestoredAtEnd() {
            platform::win32::SetOwnErrorMode(0);
            ::SetErrorMode(mode);
        }
    } restored{::SetErrorMode(SEM_NOOPENFILEERRORBOX)};
    platform::win32::SetOwnErrorMode(SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS);
    const UINT own = ::GetErrorMode();
    ASSERT_EQ(own, UINT{SEM_NOOPENFILEERRORBOX | SEM_NOGPFAULTERRORBOX | SEM_FAILCRITICALERRORS});

    const std::string program = wintest::TestTool("tk_short_path");
    platform::win32::Win32Shell shell;
    CreateProcessRecorder recorder;
    CreateProcessRecorder::modes.clear();
    EXPECT_EQ(shell.Execute("", program, "", "", SW_HIDE), platform::Status());
    EXPECT_EQ(shell.ExecuteWithoutUi("", program, "", SW_HIDE), platform::Status());
    EXPECT_EQ(CreateProcessRecorder::modes, (std::vector<UINT>(2, SEM_NOOPENFILEERRORBOX)));
    EXPECT_EQ(::GetErrorMode(), own) << "the own mode is back after each start";
}

TEST(ShellTest, AStartWithoutUiThatFailsGivesTheReason) {
    wintest::ScratchFolder folder;
    platform::win32::Win32Shell shell;
    EXPECT_EQ(shell.ExecuteWithoutUi("", folder / "missing.exe", "", SW_HIDE), platform::kNotFound);
}

}  // namespace
}  // namespace tk
