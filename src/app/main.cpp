// Entry point of the setup program.
#include <windows.h>

#include <optional>
#include <string>
#include <utility>

#include "app/command_line.h"
#include "app/installer.h"
#include "app/platform_services.h"
#include "app/ui_text.h"
#include "platform/console.h"
#include "platform/crash_guard.h"
#include "platform/paths.h"
#include "platform/profile.h"
#include "platform/win32/win32_event_log.h"

namespace {

// Without a window (no desktop, or its heap used up) nothing else can run; this is said once,
// on the console when no box can be shown either.
std::string ReportNoWindow(bool silent, DWORD error) {
    const std::string message =
        "The setup program could not create its window (error " + tk::PaddedNumber(error, 1) + ").";
    if (silent || tk::app::ShowMessage(nullptr, message, "Error", MB_OK | MB_ICONERROR) == 0) {
        tk::platform::WriteToParentConsole("tidykiosk_filter_v3: " + message + "\r\n");
    }
    return message;
}

// Every run ends with one event in the Application log; one that cannot be written changes
// nothing else.
int End(const tk::app::RunEvent& event, tk::app::ExitStatus status) {
    tk::platform::win32::Win32EventLog log;
    return tk::platform::EndNormally(static_cast<int>(tk::app::ReportEnd(log, event, status)));
}

// A run that ended before its window: nothing chosen, nothing installed.
int EndEarly(bool silent, tk::app::ExitStatus status, const std::string& message) {
    return End(
        tk::app::EventOf(silent ? tk::app::RunMode::Silent : tk::app::RunMode::Wizard, status,
                         std::string(tk::install::kGenericAppName), "", {message}, ""),
        status);
}

}  // namespace

int WINAPI WinMain(HINSTANCE, HINSTANCE, LPSTR, int) {
    using namespace tk;
    platform::profile::Start();
    platform::InstallCrashHandlers(true);  // quiet until the mode is known
    std::vector<std::string> arguments = app::SplitCommandLine(::GetCommandLineA());
    if (!arguments.empty()) {
        arguments.erase(arguments.begin());  // the program itself
    }
    // The command line is read once, here, and says how the run goes.
    const std::optional<app::SilentCommand> silent = app::ParseSilentCommand(arguments);
    platform::InstallCrashHandlers(silent.has_value());

    if (!silent && ::FindWindowA(app::TtkInstaller::kClassName, nullptr) != nullptr) {
        const std::string message = "Setup Wizard is already running.";
        app::ShowMessage(nullptr, message, "Error", MB_OK | MB_ICONWARNING);
        return EndEarly(false, app::ExitStatus::AlreadyRunning, message);
    }

    app::PlatformServices platform;
    app::InstallRun run(silent ? app::RunMode::Silent : app::RunMode::Wizard);
    // A silent run's request, its folder resolved once: full, then in its long form.
    std::optional<app::SilentRunner> silentRunner;
    if (silent) {
        silentRunner.emplace(
            install::InstallRequest{silent->edition,
                                    install::SilentInstallFolder(platform.files, silent->folder)},
            run);
    }
    app::WizardState state;
    app::TtkInstaller installer(state, platform, run, silentRunner ? &*silentRunner : nullptr);
    if (!installer.Create()) {
        const std::string message = ReportNoWindow(silent.has_value(), ::GetLastError());
        return EndEarly(silent.has_value(), app::ExitStatus::StoppedByError, message);
    }
    if (!silent) {
        installer.Show();
    }
    MSG message;
    while (::GetMessageW(&message, nullptr, 0, 0) > 0) {
        if (!installer.PreTranslate(message)) {
            ::TranslateMessage(&message);
            ::DispatchMessageW(&message);
        }
    }
    platform::profile::Mark("finish and message loop");
    platform::profile::Report(&platform::WriteToParentConsole);
    return End(run.Event(state.appName), run.Status());
}
