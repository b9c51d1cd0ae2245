// Test tool: holds the setup programs' lock, or an object under a name a setup run looks at,
// as another setup run or another account's program would.
//   tk_setup_lock hold MARKER SECONDS           the lock itself, taken as a setup run takes it
//   tk_setup_lock event NAME MARKER SECONDS     an event under NAME, with default security
//   tk_setup_lock foreign NAME MARKER SECONDS   a mutex under NAME, owned by this process's
//                                               user (not an administrator), held, open to all
// Creates MARKER once it holds what it was asked to, then keeps it for SECONDS.
#include <windows.h>
#include <sddl.h>

#include <cstdio>
#include <cstdlib>
#include <string>

#include "platform/win32/win32_system.h"

namespace {

void Hold(const char* marker, const char* seconds) {
    ::CloseHandle(::CreateFileA(marker, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                FILE_ATTRIBUTE_NORMAL, nullptr));
    ::Sleep(static_cast<DWORD>(std::atoi(seconds)) * 1000);
}

// The process user's SID as text (S-1-5-21-...), for an owner no administrator is.
std::string UserSid() {
    HANDLE token = nullptr;
    BYTE buffer[256];
    DWORD length = 0;
    char* text = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token) ||
        !::GetTokenInformation(token, TokenUser, buffer, sizeof(buffer), &length) ||
        !::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &text)) {
        return std::string();
    }
    std::string sid(text);
    ::LocalFree(text);
    return sid;
}

}  // namespace

int main(int argc, char** argv) {
    const std::string mode = argc > 1 ? argv[1] : "";
    if (mode == "hold" && argc == 4) {
        tk::platform::win32::Win32System system;
        const auto result = system.LockSetupRuns(60000, [] {});
        if (!result.lock) {
            std::printf("lock not taken: %d, error %u\n", static_cast<int>(result.end),
                        static_cast<unsigned>(result.error.error()));
            return 1;
        }
        Hold(argv[2], argv[3]);
        return 0;
    }
    if (mode == "event" && argc == 5) {
        if (::CreateEventA(nullptr, TRUE, FALSE, argv[2]) == nullptr) {
            return 1;
        }
        Hold(argv[3], argv[4]);
        return 0;
    }
    if (mode == "foreign" && argc == 5) {
        const std::string sddl = "O:" + UserSid() + "D:(A;;GA;;;WD)";
        PSECURITY_DESCRIPTOR descriptor = nullptr;
        if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(sddl.c_str(), SDDL_REVISION_1,
                                                                    &descriptor, nullptr)) {
            return 1;
        }
        SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor, FALSE};
        if (::CreateMutexA(&attributes, TRUE, argv[2]) == nullptr) {
            return 1;
        }
        Hold(argv[3], argv[4]);
        return 0;
    }
    return 2;
}
