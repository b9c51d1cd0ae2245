#include "platform/win32/win32_system.h"

#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <cstring>
#include <utility>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"
#include "platform/win32/win32_wait.h"

namespace tk::platform::win32 {

std::optional<std::span<const std::uint8_t>> Win32Resources::RawData(int id) {
    HRSRC info = ::FindResourceA(nullptr, MAKEINTRESOURCEA(id), MAKEINTRESOURCEA(10));
    if (info == nullptr) {
        return std::nullopt;
    }
    HGLOBAL loaded = ::LoadResource(nullptr, info);
    const void* data = loaded ? ::LockResource(loaded) : nullptr;
    if (data == nullptr) {
        return std::nullopt;
    }
    // Resources of the program's own module stay mapped until it exits.
    return std::span<const std::uint8_t>(static_cast<const std::uint8_t*>(data),
                                         ::SizeofResource(nullptr, info));
}

unsigned Win32System::MajorVersion() {
    return LOBYTE(LOWORD(::GetVersion()));
}

std::optional<std::string> Win32System::Environment(const std::string& name) {
    ::SetLastError(0);
    const DWORD needed = ::GetEnvironmentVariableA(name.c_str(), nullptr, 0);
    if (needed == 0) {
        if (::GetLastError() == ERROR_ENVVAR_NOT_FOUND) {
            return std::nullopt;
        }
        return std::string();
    }
    std::vector<char> buffer(needed + 1, '\0');
    ::GetEnvironmentVariableA(name.c_str(), buffer.data(), static_cast<DWORD>(buffer.size()));
    return std::string(buffer.data());
}

std::string Win32System::ModulePath() {
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    while (true) {
        const DWORD length =
            ::GetModuleFileNameA(nullptr, buffer.data(), static_cast<DWORD>(buffer.size()));
        if (length < buffer.size() - 1) {
            return std::string(buffer.data(), length);
        }
        buffer.assign(buffer.size() * 2, '\0');
    }
}

LocalDate Win32System::Today() {
    SYSTEMTIME now{};
    ::GetLocalTime(&now);
    return {now.wYear, now.wMonth, now.wDay};
}

void Win32System::Pause(std::uint32_t milliseconds, FunctionRef<void()> keepResponsive) {
    WaitKeepingResponsive(nullptr, milliseconds, keepResponsive);
}

std::uint32_t Win32System::TickCount() {
    return ::GetTickCount();
}

std::string Win32System::WindowsFolder() {
    char buffer[MAX_PATH + 1] = {};
    const UINT length = ::GetWindowsDirectoryA(buffer, MAX_PATH);
    return length == 0 || length > MAX_PATH ? std::string() : std::string(buffer, length);
}

namespace {

// The setup-run lock is a security boundary: no account without administrator rights may
// make installs wait, nor let two go ahead at once. Where Windows has private object
// namespaces (Vista and later), the lock's mutex lives in one whose boundary is the
// Administrators group, which no other account can make or open. Older systems get a
// mutex under a global name that only administrators and the system may open, whose owner
// is checked when it already exists. An object under that name that no administrator made
// is never waited for and never ignored: the run stops at once (status 7).
constexpr wchar_t kBoundaryName[] = L"tidykiosk_filter_v3 setup runs";
constexpr wchar_t kNamespacePrefix[] = L"tidykiosk_filter_v3";
constexpr char kMutexInNamespace[] = "tidykiosk_filter_v3\\setup run";
constexpr char kCheckedMutexName[] = "Global\\tidykiosk_filter_v3 setup run, administrators";
// Owner BUILTIN\Administrators, which an administrator's or the system's token may set and
// no other may; full access for administrators and the system, none for anybody else.
constexpr char kAdministratorsOnly[] = "O:BAD:P(A;;GA;;;BA)(A;;GA;;;SY)";

// BUILTIN\Administrators (S-1-5-32-544) and LocalSystem (S-1-5-18) in the system's binary
// form: revision, sub-authority count, authority, then each sub-authority.
constexpr BYTE kAdministratorsSid[] = {1, 2, 0, 0, 0, 0, 0, 5, 32, 0, 0, 0, 0x20, 0x02, 0, 0};
constexpr BYTE kLocalSystemSid[] = {1, 1, 0, 0, 0, 0, 0, 5, 18, 0, 0, 0};

template <std::size_t Size>
bool IsSid(const void* sid, const BYTE (&expected)[Size]) {
    const auto* bytes = static_cast<const BYTE*>(sid);
    return bytes[1] == expected[1] && std::memcmp(bytes, expected, Size) == 0;
}

// Vista's namespace calls, looked up while running: the program also runs on Windows XP.
typedef HANDLE(WINAPI CreateBoundaryDescriptorCall)(LPCWSTR, ULONG);
typedef BOOL(WINAPI AddSidToBoundaryDescriptorCall)(HANDLE*, PSID);
typedef VOID(WINAPI DeleteBoundaryDescriptorCall)(HANDLE);
typedef HANDLE(WINAPI CreatePrivateNamespaceCall)(LPSECURITY_ATTRIBUTES, LPVOID, LPCWSTR);
typedef HANDLE(WINAPI OpenPrivateNamespaceCall)(LPVOID, LPCWSTR);
typedef BOOLEAN(WINAPI ClosePrivateNamespaceCall)(HANDLE, ULONG);

struct NamespaceCalls {
    CreateBoundaryDescriptorCall* createBoundary =
        LoadedFunction<CreateBoundaryDescriptorCall>(L"kernel32.dll", "CreateBoundaryDescriptorW");
    AddSidToBoundaryDescriptorCall* addSid = LoadedFunction<AddSidToBoundaryDescriptorCall>(
        L"kernel32.dll", "AddSIDToBoundaryDescriptor");
    DeleteBoundaryDescriptorCall* deleteBoundary =
        LoadedFunction<DeleteBoundaryDescriptorCall>(L"kernel32.dll", "DeleteBoundaryDescriptor");
    CreatePrivateNamespaceCall* create =
        LoadedFunction<CreatePrivateNamespaceCall>(L"kernel32.dll", "CreatePrivateNamespaceW");
    OpenPrivateNamespaceCall* open =
        LoadedFunction<OpenPrivateNamespaceCall>(L"kernel32.dll", "OpenPrivateNamespaceW");
    ClosePrivateNamespaceCall* close =
        LoadedFunction<ClosePrivateNamespaceCall>(L"kernel32.dll", "ClosePrivateNamespace");

    bool Present() const {
        return createBoundary && addSid && deleteBoundary && create && open && close;
    }
};

// A private namespace this run made or opened. Closed, never destroyed: a run still waiting
// inside it must keep finding the same mutex, and not a new namespace with a new one.
class NamespaceHandle {
public:
    NamespaceHandle() = default;
    NamespaceHandle(HANDLE handle, ClosePrivateNamespaceCall* close)
        : handle_(handle), close_(close) {}
    NamespaceHandle(NamespaceHandle&& other) noexcept
        : handle_(std::exchange(other.handle_, nullptr)), close_(other.close_) {}
    NamespaceHandle& operator=(NamespaceHandle&& other) noexcept {
        std::swap(handle_, other.handle_);
        std::swap(close_, other.close_);
        return *this;
    }
    ~NamespaceHandle() {
        if (handle_ != nullptr) {
            close_(handle_, 0);
        }
    }

private:
    HANDLE handle_ = nullptr;
    ClosePrivateNamespaceCall* close_ = nullptr;
};

class MutexLock final : public SetupRunLock {
public:
    MutexLock(NamespaceHandle space, KernelHandle mutex)
        : space_(std::move(space)), mutex_(std::move(mutex)) {}
    ~MutexLock() override { ::ReleaseMutex(mutex_.get()); }

private:
    NamespaceHandle space_;  // outlives the mutex inside it
    KernelHandle mutex_;
};

// The lock's mutex, not yet waited for, or why there is none.
struct LockObject {
    SetupRunLockEnd end = SetupRunLockEnd::Taken;
    Status error;
    NamespaceHandle space;
    KernelHandle mutex;
    bool namespaceMissing = false;  // the system lacks private namespaces: use the name
};

LockObject Refused(SetupRunLockEnd end, DWORD error = 0) {
    LockObject object;
    object.end = end;
    object.error = Status(error);
    return object;
}

LockObject InPrivateNamespace(const NamespaceCalls& calls, SECURITY_ATTRIBUTES& attributes) {
    LockObject object;
    HANDLE boundary = calls.createBoundary(kBoundaryName, 0);
    if (boundary == nullptr) {
        const DWORD error = ::GetLastError();
        if (error == ERROR_SUCCESS || error == ERROR_CALL_NOT_IMPLEMENTED) {
            object.namespaceMissing = true;
            return object;
        }
        return Refused(SetupRunLockEnd::Failed, error);
    }
    struct BoundaryOwner {
        HANDLE& boundary;
        DeleteBoundaryDescriptorCall* remove;
        ~BoundaryOwner() { remove(boundary); }
    } boundaryOwner{boundary, calls.deleteBoundary};
    if (!calls.addSid(&boundary, const_cast<BYTE*>(kAdministratorsSid))) {
        return Refused(SetupRunLockEnd::Failed, ::GetLastError());
    }
    // Made by the first run, opened by the others. A namespace can vanish between a failed
    // make and the open (its last holder ended): then it is made again.
    HANDLE space = nullptr;
    for (int attempt = 0; space == nullptr; ++attempt) {
        space = calls.create(&attributes, boundary, kNamespacePrefix);
        if (space != nullptr) {
            break;
        }
        DWORD error = ::GetLastError();
        if (error == ERROR_CALL_NOT_IMPLEMENTED) {
            object.namespaceMissing = true;
            return object;
        }
        if (error == ERROR_ALREADY_EXISTS) {
            space = calls.open(boundary, kNamespacePrefix);
            error = ::GetLastError();
        }
        const bool vanished = error == ERROR_FILE_NOT_FOUND || error == ERROR_PATH_NOT_FOUND;
        if (space == nullptr && (!vanished || attempt == 100)) {
            return Refused(SetupRunLockEnd::Failed, error);
        }
    }
    object.space = NamespaceHandle(space, calls.close);
    object.mutex.reset(::CreateMutexA(&attributes, FALSE, kMutexInNamespace));
    if (!object.mutex) {
        return Refused(SetupRunLockEnd::Failed, ::GetLastError());
    }
    return object;
}

LockObject UnderCheckedName(SECURITY_ATTRIBUTES& attributes) {
    LockObject object;
    ::SetLastError(ERROR_SUCCESS);
    object.mutex.reset(::CreateMutexA(&attributes, FALSE, kCheckedMutexName));
    const DWORD error = ::GetLastError();
    if (!object.mutex) {
        // Another kind of object under the name, or a mutex that shuts administrators out:
        // made by somebody else, and held for as long as they like.
        const bool foreign = error == ERROR_INVALID_HANDLE || error == ERROR_ACCESS_DENIED;
        return Refused(foreign ? SetupRunLockEnd::NotTrusted : SetupRunLockEnd::Failed, error);
    }
    if (error != ERROR_ALREADY_EXISTS) {
        return object;  // made now, with the owner and access list above
    }
    PSID owner = nullptr;
    LocalMemory descriptor;
    const DWORD read = ::GetSecurityInfo(
        object.mutex.get(), SE_KERNEL_OBJECT, OWNER_SECURITY_INFORMATION, &owner, nullptr, nullptr,
        nullptr, reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()));
    if (read != ERROR_SUCCESS) {
        return Refused(SetupRunLockEnd::Failed, read);
    }
    // Only an administrator or the system can make an object owned by either. One that
    // another account owns, that account may have made open to itself and hold for ever.
    if (owner == nullptr || !(IsSid(owner, kAdministratorsSid) || IsSid(owner, kLocalSystemSid))) {
        return Refused(SetupRunLockEnd::NotTrusted);
    }
    return object;
}

SetupRunLockResult Ended(SetupRunLockEnd end, Status error = Status()) {
    SetupRunLockResult result;
    result.end = end;
    result.error = error;
    return result;
}

}  // namespace

SetupRunLockResult Win32System::LockSetupRuns(std::uint32_t timeout, FunctionRef<void()> waiting) {
    LocalMemory descriptor;
    if (!::ConvertStringSecurityDescriptorToSecurityDescriptorA(
            kAdministratorsOnly, SDDL_REVISION_1,
            reinterpret_cast<PSECURITY_DESCRIPTOR*>(descriptor.put()), nullptr)) {
        return Ended(SetupRunLockEnd::Failed, Status(::GetLastError()));
    }
    SECURITY_ATTRIBUTES attributes{sizeof(attributes), descriptor.get(), FALSE};
    const NamespaceCalls calls;
    LockObject object;
    object.namespaceMissing = !calls.Present();
    if (!object.namespaceMissing) {
        object = InPrivateNamespace(calls, attributes);
    }
    if (object.namespaceMissing) {
        object = UnderCheckedName(attributes);
    }
    if (object.end != SetupRunLockEnd::Taken) {
        return Ended(object.end, object.error);
    }
    const DWORD start = ::GetTickCount();
    for (;;) {
        // An abandoned mutex is free: the run that held it was ended without letting go.
        const DWORD waited = ::WaitForSingleObject(object.mutex.get(), 10);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            SetupRunLockResult result = Ended(SetupRunLockEnd::Taken);
            result.lock =
                std::make_unique<MutexLock>(std::move(object.space), std::move(object.mutex));
            return result;
        }
        if (waited == WAIT_FAILED) {
            return Ended(SetupRunLockEnd::Failed, Status(::GetLastError()));
        }
        if (::GetTickCount() - start >= timeout) {
            return Ended(SetupRunLockEnd::StillHeld);
        }
        waiting();
    }
}

}  // namespace tk::platform::win32
