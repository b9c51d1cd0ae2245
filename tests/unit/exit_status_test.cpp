#include "app/exit_status.h"

#include <gtest/gtest.h>

namespace tk::app {
namespace {

using Install = RunOutcome::Install;
using install::InstallOutcome;

TEST(ExitStatusTest, EveryWayARunEndsMapsToItsStatus) {
    struct Case {
        RunOutcome run;
        ExitStatus expected;
    };
    const Case cases[] = {
        {{true, Install::Ran, InstallOutcome::Completed, false, false}, ExitStatus::Installed},
        {{false, Install::Ran, InstallOutcome::Completed, true, false}, ExitStatus::Installed},
        {{true, Install::Stopped, InstallOutcome::Completed, false, true},
         ExitStatus::StoppedByError},
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

}  // namespace
}  // namespace tk::app
