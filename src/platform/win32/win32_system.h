#pragma once
#include "platform/resources.h"
#include "platform/system.h"

namespace tk::platform::win32 {

class Win32Resources final : public Resources {
public:
    std::optional<std::span<const std::uint8_t>> RawData(int id) override;
};

class Win32System final : public System {
public:
    unsigned MajorVersion() override;
    std::optional<std::string> Environment(const std::string& name) override;
    std::string ModulePath() override;
    LocalDate Today() override;
    void Pause(std::uint32_t milliseconds, FunctionRef<void()> keepResponsive) override;
    std::uint32_t TickCount() override;
    std::string WindowsFolder() override;
    SetupRunLockResult LockSetupRuns(std::uint32_t timeout, FunctionRef<void()> waiting) override;
};

}  // namespace tk::platform::win32
