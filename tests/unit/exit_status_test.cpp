#include "app/exit_status.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_security.h"
#include "fakes/fake_shell.h"
#include "install/install_error.h"

namespace tk::app {
namespace {

using Install = RunOutcome::Install;
using install::InstallOutcome;
using platform::SetupRunLockEnd;

TEST(ExitStatusTest, EveryWayARunEndsMapsToItsStatus) {
    struct Case {
        RunOutcome run;
        ExitStatus expected;
    };
    const Case cases[] = {
        {{true, Install::Ran, InstallOutcome::Completed, false, false}, ExitStatus::Installed},
        {{false, Install::Ran, InstallOutcome::Completed, true, false}, ExitStatus::Installed},
        {{true, Install::NotRun, InstallOutcome::Completed, false, false},
         ExitStatus::StoppedByError},
        {{false, Install::NotRun, InstallOutcome::Completed, false, false}, ExitStatus::WizardQuit},
        // Quit while the install ran, before its last page.
        {{false, Install::Ran, InstallOutcome::Completed, false, false}, ExitStatus::WizardQuit},
        {{true, Install::Ran, InstallOutcome::NoInstallFolder, false, false},
         ExitStatus::NoInstallFolder},
        // Incomplete, or an error reported along the way, wins over a pending restart.
        {{true, Install::Ran, InstallOutcome::Incomplete, false, false},
         ExitStatus::InstalledIncomplete},
        {{true, Install::Ran, InstallOutcome::RestartPending, false, true},
         ExitStatus::InstalledIncomplete},
        {{false, Install::Ran, InstallOutcome::RestartPending, true, false},
         ExitStatus::RestartRequired},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(ExitStatusOf(c.run), c.expected)
            << "silent " << c.run.silent << ", install " << static_cast<int>(c.run.install)
            << ", result " << static_cast<int>(c.run.result) << ", last page "
            << c.run.lastPageShown << ", error " << c.run.errorReported;
    }
}

class NoProvider : public install::ProviderPort {
public:
    bool RunProviderStep(const std::string&, const std::string&) override { return true; }
};

// A run that does not get the setup-run lock writes nothing. Another run keeping it, or an
// object no administrator made holding its name, ends 7 (deployment tools try again later),
// silent or not; a wait the system refused is an error like any other, and says so.
TEST(ExitStatusTest, ARunWithoutTheSetupRunLockEndsSevenUnlessTheWaitFailed) {
    struct Case {
        SetupRunLockEnd end;
        bool silent;
        ExitStatus expected;
        const char* message;
    };
    const Case cases[] = {
        {SetupRunLockEnd::StillHeld, true, ExitStatus::AnotherSetupRun, "Another setup program"},
        {SetupRunLockEnd::StillHeld, false, ExitStatus::AnotherSetupRun, "Another setup program"},
        {SetupRunLockEnd::NotTrusted, true, ExitStatus::AnotherSetupRun, "no administrator made"},
        {SetupRunLockEnd::Failed, true, ExitStatus::StoppedByError, "(error 6). Nothing"},
        {SetupRunLockEnd::Failed, false, ExitStatus::StoppedByError, "(error 6). Nothing"},
    };
    for (const Case& c : cases) {
        fakes::FakeFiles files;
        fakes::FakeResources resources;
        fakes::FakeSystem system;
        fakes::FakeShell shell(files);
        fakes::FakeSecurity security(files);
        fakes::FakeRegistry registry;
        fakes::FakeProgressView view;
        install::ProgressPage page(view);
        NoProvider provider;
        system.lockEnd = c.end;
        system.lockError = 6;
        install::InstallSequence sequence({install::kServerEdition, "C:\\Filter\\"},
                                          {files, resources, system, shell, security, registry},
                                          page, provider);
        RunOutcome run{c.silent};
        std::string message;
        // As the window counts the stop (TtkInstaller::RunInstallSequence).
        try {
            sequence.Run();
        } catch (const install::AnotherSetupRunError& error) {
            run.install = Install::Waited;
            message = error.what();
        } catch (const install::InstallError& error) {
            run.install = Install::Stopped;
            message = error.what();
        }
        run.errorReported = true;
        EXPECT_EQ(ExitStatusOf(run), c.expected) << static_cast<int>(c.end) << " " << c.silent;
        EXPECT_NE(message.find(c.message), std::string::npos) << message;
        EXPECT_TRUE(files.files.empty() && files.directories.empty()) << static_cast<int>(c.end);
    }
}

}  // namespace
}  // namespace tk::app
