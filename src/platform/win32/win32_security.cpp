#include "platform/win32/win32_security.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <new>
#include <utility>

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

class Win32LockedFile final : public LockedFile {
public:
    explicit Win32LockedFile(FileHandle file) : file_(std::move(file)) {}

private:
    FileHandle file_;
};

bool IsSameFile(const BY_HANDLE_FILE_INFORMATION& a, const BY_HANDLE_FILE_INFORMATION& b) {
    return a.dwVolumeSerialNumber == b.dwVolumeSerialNumber &&
           a.nFileIndexHigh == b.nFileIndexHigh && a.nFileIndexLow == b.nFileIndexLow;
}

// True when the file, read from its start, holds these bytes and no more.
bool HoldsExactly(HANDLE file, const std::string& bytes) {
    std::string content(bytes.size() + 1, '\0');
    std::size_t done = 0;
    DWORD got = 0;
    while (done < content.size() &&
           ::ReadFile(file, content.data() + done, static_cast<DWORD>(content.size() - done), &got,
                      nullptr) &&
           got > 0) {
        done += got;
    }
    return done == bytes.size() && content.compare(0, done, bytes) == 0;
}

std::unique_ptr<LockedFile> WritePrivateFileUnchecked(const std::string& path,
                                                      const std::string& bytes) {
    // Whatever stands at the path may have been put there by someone else: it goes, and
    // the new file is made only if nothing is there any more.
    ::DeleteFileA(path.c_str());

    PSECURITY_DESCRIPTOR rawDescriptor = nullptr;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kPrivateFileSecurity, SDDL_REVISION_1, &rawDescriptor, nullptr)) {
        return nullptr;
    }
    const LocalMemory descriptor(rawDescriptor);
    SECURITY_ATTRIBUTES attributes{};
    attributes.nLength = sizeof attributes;
    attributes.lpSecurityDescriptor = rawDescriptor;
    attributes.bInheritHandle = FALSE;

    BY_HANDLE_FILE_INFORMATION written{};
    {
        FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, FILE_SHARE_READ, &attributes,
                                      CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!file) {
            return nullptr;
        }
        DWORD done = 0;
        const bool complete = ::WriteFile(file.get(), bytes.data(),
                                          static_cast<DWORD>(bytes.size()), &done, nullptr) &&
                              done == bytes.size() &&
                              ::GetFileInformationByHandle(file.get(), &written);
        if (!complete) {
            file.reset();
            ::DeleteFileA(path.c_str());
            return nullptr;
        }
    }

    // Held for reading and shared for reading only: a batch interpreter can still read it,
    // nobody can write, rename or delete it. The writing handle could not stay for that,
    // as readers that do not share writing could not open the file. Between the two opens
    // somebody may have swapped or changed it, so it must still be the file just written,
    // with exactly its bytes.
    FileHandle held(::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr,
                                  OPEN_EXISTING, FILE_ATTRIBUTE_NORMAL, nullptr));
    BY_HANDLE_FILE_INFORMATION reopened{};
    if (!held || !::GetFileInformationByHandle(held.get(), &reopened) ||
        !IsSameFile(written, reopened) || !HoldsExactly(held.get(), bytes)) {
        held.reset();
        ::DeleteFileA(path.c_str());
        return nullptr;
    }
    return std::make_unique<Win32LockedFile>(std::move(held));
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

std::unique_ptr<LockedFile> Win32Security::WritePrivateFile(const std::string& path,
                                                            const std::string& bytes) {
    try {
        return WritePrivateFileUnchecked(path, bytes);
    } catch (const std::bad_alloc&) {
        return nullptr;
    }
}

}  // namespace tk::platform::win32
