#pragma once
// Facts about the running system and process, and the clock.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/errors.h"
#include "platform/function_ref.h"

namespace tk::platform {

struct LocalDate {
    int year = 0;
    int month = 0;
    int day = 0;
};

// Held by one setup run on this machine at a time; letting it go lets the next one run.
class SetupRunLock {
public:
    virtual ~SetupRunLock() = default;
};

// How the wait for the setup-run lock ended.
enum class SetupRunLockEnd {
    Taken,       // the lock is this run's
    StillHeld,   // another run held it for the whole wait
    NotTrusted,  // its name is held by an object that no administrator made: not waited for
    Failed,      // the system refused a call; `error` says why
};

struct SetupRunLockResult {
    std::unique_ptr<SetupRunLock> lock;  // set exactly when Taken
    SetupRunLockEnd end = SetupRunLockEnd::Failed;
    Status error;
};

class System {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~System() = default;

public:
    virtual unsigned MajorVersion() = 0;
    // GetEnvironmentVariableA; nothing when the variable is unset.
    virtual std::optional<std::string> Environment(const std::string& name) = 0;
    // Full path of the running program file, as the system reports it.
    virtual std::string ModulePath() = 0;
    virtual LocalDate Today() = 0;
    // Waits `milliseconds`, letting `keepResponsive` handle the calling thread's window
    // messages whenever some arrive.
    virtual void Pause(std::uint32_t milliseconds, FunctionRef<void()> keepResponsive) = 0;
    virtual std::uint32_t TickCount() = 0;
    // GetWindowsDirectoryA: the Windows folder, without a final backslash.
    virtual std::string WindowsFolder() = 0;
    // Waits until no other setup run on this machine holds the lock, at most `timeout`
    // milliseconds, calling `waiting` every few milliseconds meanwhile. A run that ended
    // without letting go counts as gone. Only administrators can make or hold the lock.
    virtual SetupRunLockResult LockSetupRuns(std::uint32_t timeout,
                                             FunctionRef<void()> waiting) = 0;
};

}  // namespace tk::platform
