#pragma once
// Fakes for the small platform interfaces: resources, system facts and the progress view.
#include <map>
#include <string>
#include <vector>

#include "platform/progress_view.h"
#include "platform/resources.h"
#include "platform/system.h"

namespace tk::fakes {

class FakeResources : public platform::Resources {
public:
    std::map<int, std::vector<std::uint8_t>> data;
    std::optional<std::span<const std::uint8_t>> RawData(int id) override {
        const auto found = data.find(id);
        if (found == data.end()) {
            return std::nullopt;
        }
        return std::span<const std::uint8_t>(found->second);
    }
};

class FakeSystem : public platform::System {
public:
    unsigned majorVersion = 6;
    std::map<std::string, std::string> environment{{"ALLUSERSPROFILE", "C:\\ProgramData"}};
    std::string modulePath = "D:\\Setup\\tidykiosk_filter_v3.exe";
    platform::LocalDate today{2026, 12, 7};
    std::uint32_t tick = 1000;
    std::vector<std::uint32_t> sleeps;
    std::vector<std::string>* log = nullptr;

    unsigned MajorVersion() override { return majorVersion; }
    std::optional<std::string> Environment(const std::string& name) override {
        const auto found = environment.find(name);
        if (found == environment.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::string ModulePath() override { return modulePath; }
    platform::LocalDate Today() override { return today; }
    // The fake clock moves only when somebody pauses; each pause lets the window answer once.
    void Pause(std::uint32_t milliseconds, platform::FunctionRef<void()> keepResponsive) override {
        keepResponsive();
        sleeps.push_back(milliseconds);
        tick += milliseconds;
        if (log != nullptr) {
            log->push_back("Sleep " + std::to_string(milliseconds));
        }
    }
    std::uint32_t TickCount() override { return tick; }
    std::string windowsFolder = "C:\\WINDOWS";
    bool otherRunHoldsLock = false;  // the wait for the setup-run lock runs out
    // How the wait ends otherwise (taken, unless a test refuses it), and the error number.
    platform::SetupRunLockEnd lockEnd = platform::SetupRunLockEnd::Taken;
    std::uint32_t lockError = 0;
    std::string WindowsFolder() override { return windowsFolder; }
    platform::SetupRunLockResult LockSetupRuns(std::uint32_t,
                                               platform::FunctionRef<void()> waiting) override {
        if (log != nullptr) {
            log->push_back("LockSetupRuns");
        }
        platform::SetupRunLockResult result;
        result.end = otherRunHoldsLock ? platform::SetupRunLockEnd::StillHeld : lockEnd;
        if (result.end == platform::SetupRunLockEnd::Taken) {
            result.lock = std::make_unique<platform::SetupRunLock>();
        } else if (result.end == platform::SetupRunLockEnd::StillHeld) {
            waiting();
        }
        result.error = platform::Status(lockError);
        return result;
    }
};

class FakeProgressView : public platform::ProgressView {
public:
    int maximum = 100;
    int position = 0;
    int positionChanges = 0;
    int messagePumps = 0;
    std::vector<std::string> statusTexts;
    std::vector<std::string> fileTexts;
    std::vector<std::string>* log = nullptr;

    void ProcessMessages() override { ++messagePumps; }
    void SetProgressMax(int value) override { maximum = value; }
    int ProgressMax() override { return maximum; }
    void SetProgressPosition(int value) override {
        ++positionChanges;
        position = value;
    }
    int ProgressPosition() override { return position; }
    void SetStatusText(const std::string& text) override {
        statusTexts.push_back(text);
        if (log != nullptr) {
            log->push_back("Status " + text);
        }
    }
    void SetCurrentFileText(const std::string& text) override { fileTexts.push_back(text); }
};

}  // namespace tk::fakes
