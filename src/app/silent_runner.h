#pragma once
// The silent run: a window that is never shown, an install nobody waits on, and lines on
// the parent's console for what did not go as asked.
#include <windows.h>

#include <optional>
#include <string>

#include "app/install_run.h"
#include "install/install_request.h"
#include "install/install_sequence.h"
#include "install/progress.h"

namespace tk::app {

class SilentRunner final : public install::ProgressReporter {
public:
    // How long the hidden window's queue is left between two looks at it.
    static constexpr DWORD kPumpMilliseconds = 10;

    // `request`: what the command line asks for, its folder already resolved.
    SilentRunner(install::InstallRequest request, InstallRun& run)
        : request_(std::move(request)), run_(run) {}

    // A silent install shows nothing and stops for nobody: a close request (from taskkill,
    // or a deployment tool that timed out) or the end of the session waits for the install,
    // which then ends the program with its own status.
    static constexpr bool RefusesToClose() { return true; }

    // Runs the install, then writes on the console what it left and what stopped it.
    void Run(const install::InstallPlatform& platform, install::ProviderPort& provider);
    // An error that stopped a step, as one console line.
    static void ReportError(const std::string& message);

    // install::ProgressReporter: nothing is shown, the queue only kept moving.
    void KeepResponsive() override;
    void Reached(install::InstallStage) override { KeepResponsive(); }
    void EntryReached() override { KeepResponsive(); }
    void CurrentFile(const std::string&) override {}

private:
    const install::InstallRequest request_;
    InstallRun& run_;
    std::optional<DWORD> lastPump_;  // GetTickCount of the last look at the queue
};

}  // namespace tk::app
