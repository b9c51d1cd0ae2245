#include "platform/win32/win32_system.h"

#include <windows.h>

#include <vector>

#include "platform/win32/handles.h"

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

void Win32System::Sleep(std::uint32_t milliseconds) {
    ::Sleep(milliseconds);
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

class MutexLock final : public SetupRunLock {
public:
    explicit MutexLock(KernelHandle mutex) : mutex_(std::move(mutex)) {}
    ~MutexLock() override {
        if (mutex_) {
            ::ReleaseMutex(mutex_.get());
        }
    }

private:
    KernelHandle mutex_;
};

}  // namespace

std::unique_ptr<SetupRunLock> Win32System::LockSetupRuns(std::uint32_t timeout,
                                                         FunctionRef<void()> waiting) {
    // One name for every session of the machine (a deployment tool runs as SYSTEM in
    // session 0, an administrator's wizard in another session).
    KernelHandle mutex(::CreateMutexA(nullptr, FALSE, "Global\\tidykiosk_filter_v3 setup run"));
    if (!mutex) {
        // Without the lock's object (another user made it, with rights that exclude us) the
        // runs cannot be told apart: this one goes ahead rather than never.
        return std::make_unique<MutexLock>(KernelHandle());
    }
    const DWORD start = ::GetTickCount();
    for (;;) {
        const DWORD waited = ::WaitForSingleObject(mutex.get(), 10);
        if (waited == WAIT_OBJECT_0 || waited == WAIT_ABANDONED) {
            return std::make_unique<MutexLock>(std::move(mutex));
        }
        if (waited == WAIT_FAILED || ::GetTickCount() - start >= timeout) {
            return nullptr;
        }
        waiting();
    }
}

}  // namespace tk::platform::win32
