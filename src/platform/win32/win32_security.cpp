#include "platform/win32/win32_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <new>

#include "platform/win32/handles.h"

namespace tk::platform::win32 {
namespace {

// Full control for administrators and SYSTEM, read and execute for users, nothing inherited
// from the folder (whose own list may let everyone write).
constexpr const char* kPrivateFileSecurity = "D:P(A;;FA;;;BA)(A;;FA;;;SY)(A;;FRFX;;;BU)";

bool EnablePrivilegeUnchecked(const std::string& name, bool enable) {
    HANDLE rawToken = nullptr;
    if (!::OpenProcessToken(::GetCurrentProcess(), TOKEN_ADJUST_PRIVILEGES | TOKEN_QUERY,
                            &rawToken)) {
        return false;
    }
    const KernelHandle token(rawToken);
    LUID luid{};
    if (!::LookupPrivilegeValueA(nullptr, name.c_str(), &luid)) {
        return false;
    }
    TOKEN_PRIVILEGES privileges{};
    privileges.PrivilegeCount = 1;
    privileges.Privileges[0].Luid = luid;
    privileges.Privileges[0].Attributes = enable ? SE_PRIVILEGE_ENABLED : 0;
    TOKEN_PRIVILEGES previous{};
    DWORD previousSize = sizeof previous;
    return ::AdjustTokenPrivileges(token.get(), FALSE, &privileges, sizeof privileges, &previous,
                                   &previousSize) != 0;
}

bool GrantUnchecked(Win32Security& security, const std::string& folder) {
    security.EnablePrivilege("SeSecurityPrivilege", true);  // helps on some systems; optional

    PACL oldAcl = nullptr;
    PSECURITY_DESCRIPTOR rawDescriptor = nullptr;
    if (::GetNamedSecurityInfoA(folder.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &oldAcl, nullptr, &rawDescriptor) != ERROR_SUCCESS) {
        return false;
    }
    const LocalMemory descriptor(rawDescriptor);

    EXPLICIT_ACCESS_A access{};
    char trustee[] = "EVERYONE";
    ::BuildExplicitAccessWithNameA(&access, trustee, GENERIC_ALL, SET_ACCESS,
                                   SUB_CONTAINERS_AND_OBJECTS_INHERIT);
    PACL rawNewAcl = nullptr;
    if (::SetEntriesInAclA(1, &access, oldAcl, &rawNewAcl) != ERROR_SUCCESS) {
        return false;
    }
    const LocalMemory newAcl(rawNewAcl);
    std::string name = folder;
    return ::SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                   nullptr, rawNewAcl, nullptr) == ERROR_SUCCESS;
}

}  // namespace

bool Win32Security::EnablePrivilege(const std::string& name, bool enable) {
    try {
        return EnablePrivilegeUnchecked(name, enable);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool Win32Security::GrantEveryoneFullAccess(const std::string& folder) {
    try {
        return GrantUnchecked(*this, folder);
    } catch (const std::bad_alloc&) {
        return false;
    }
}

bool Win32Security::WritePrivateFile(const std::string& path, const std::string& bytes) {
    // Whatever stands at the path may have been put there by someone else: it goes, and
    // the new file is made only if nothing is there any more.
    ::DeleteFileA(path.c_str());

    PSECURITY_DESCRIPTOR rawDescriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kPrivateFileSecurity, SDDL_REVISION_1, &rawDescriptor, nullptr)) {
        return false;
    }
    const LocalMemory descriptor(rawDescriptor);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = rawDescriptor;
    attributes.bInheritHandle = FALSE;

    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes,
                                  CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
    if (!file) {
        return false;
    }
    DWORD written = 0;
    const bool complete = ::WriteFile(file.get(), bytes.data(), static_cast<DWORD>(bytes.size()),
                                      &written, nullptr) &&
                          written == bytes.size();
    file.reset();
    if (!complete) {
        ::DeleteFileA(path.c_str());
    }
    return complete;
}

}  // namespace tk::platform::win32
