#include "app/install_run.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_security.h"
#include "fakes/fake_shell.h"
#include "install/registry_entries.h"
#include "test_support.h"

namespace tk::app {
namespace {

using platform::RegistryRoot;
using platform::SetupRunLockEnd;

class Provider : public install::ProviderPort {
public:
    bool done = true;
    bool RunProviderStep(const std::string&, const std::string&) override { return done; }
};

// Whole runs through the core, on the fake system: every status it answers comes from what
// the install really did, and the last page is read from the same run.
class InstallRunTest : public ::testing::Test {
protected:
    InstallRunTest() {
        for (const char* folder : {"C:\\ProgramData", "C:\\Desktop", "C:\\Programs"}) {
            files.AddDirectoryTree(folder);
        }
        shell.specialFolders = {{platform::kCsidlCommonDesktopDirectory, "C:\\Desktop"},
                                {platform::kCsidlCommonPrograms, "C:\\Programs"}};
        registry.AddKey(RegistryRoot::LocalMachine, std::string(install::kRunKey));
        for (const install::PayloadEntry& entry : install::PayloadCatalogue()) {
            resources.data[entry.id] = testing::Deflate(testing::Bytes(std::string(entry.entry)));
        }
    }
    // The run after one install into `folder`; `stop` gets the message that stopped it.
    InstallRun Installed(RunMode mode, const std::string& folder = "C:\\X\\") {
        InstallRun run(mode);
        fakes::FakeProgressView view;
        install::ProgressPage page(view);
        stop = run.Install({install::kServerEdition, folder},
                           {files, resources, system, shell, security, registry}, page, provider)
                   .value_or("");
        return run;
    }
    std::string ShownText(const InstallRun& run) const {
        const auto shown = run.Page("tidyKiosk Filter v3");
        return shown ? shown->text : "<no last page>";
    }

    fakes::FakeFiles files;
    fakes::FakeResources resources;
    fakes::FakeSystem system;
    fakes::FakeShell shell{files};
    fakes::FakeSecurity security{files};
    fakes::FakeRegistry registry;
    Provider provider;
    std::string stop;
};

TEST_F(InstallRunTest, ARunThatNeverInstalledEndsOneWhenSilentAndFourInTheWizard) {
    EXPECT_EQ(InstallRun(RunMode::Silent).Status(), ExitStatus::StoppedByError);
    EXPECT_EQ(InstallRun(RunMode::Wizard).Status(), ExitStatus::WizardQuit);
    EXPECT_FALSE(InstallRun(RunMode::Wizard).Page("x"));

    // No folder: the silent run says so; the wizard stays where it was and can only be quit.
    EXPECT_EQ(Installed(RunMode::Silent, "").Status(), ExitStatus::NoInstallFolder);
    EXPECT_EQ(Installed(RunMode::Wizard, "").Status(), ExitStatus::WizardQuit);
    EXPECT_TRUE(files.files.empty());
}

TEST_F(InstallRunTest, EachEndOfAnInstallGivesItsStatusAndAPageThatSaysTheSame) {
    for (const RunMode mode : {RunMode::Silent, RunMode::Wizard}) {
        const InstallRun run = Installed(mode);
        EXPECT_EQ(run.Status(), ExitStatus::Installed);
        EXPECT_EQ(ShownText(run),
                  "tidyKiosk Filter v3 is successfully installed. Please click Finish to quit.");
        EXPECT_EQ(run.InstalledFolder(), "C:\\X\\");
        EXPECT_TRUE(run.UnfinishedLines().empty());
    }

    files.inUseFiles.insert("C:\\X\\fltsrv.exe");
    const InstallRun restart = Installed(RunMode::Silent);
    EXPECT_EQ(restart.Status(), ExitStatus::RestartRequired);
    EXPECT_TRUE(restart.Page("x")->runUnticked) << "the old program is still the one there";

    provider.done = false;
    const InstallRun incomplete = Installed(RunMode::Wizard);
    EXPECT_EQ(incomplete.Status(), ExitStatus::InstalledIncomplete) << "wins over the restart";
    EXPECT_NE(ShownText(incomplete).find("filter provider registration did not complete"),
              std::string::npos);
    EXPECT_EQ(incomplete.UnfinishedLines().back(),
              "filter provider registration: did not complete");

    files.unwritableProfiles.insert("C:\\ProgramData\\tidyKiosk\\FServer\\datax\\data.ini");
    const InstallRun stopped = Installed(RunMode::Wizard);
    EXPECT_EQ(stopped.Status(), ExitStatus::StoppedByError);
    EXPECT_EQ(stop, "Unable to write to C:\\ProgramData\\tidyKiosk\\FServer\\datax\\data.ini");
    EXPECT_FALSE(stopped.Page("x")) << "the window stays on the progress page";
}

// An error reported outside the install (the compatibility setting, a wizard command) makes
// the run incomplete: the last page says what was not done, before or after it is shown.
TEST_F(InstallRunTest, AnErrorOutsideTheInstallIsOnTheLastPageAsInTheStatus) {
    files.inUseFiles.insert("C:\\X\\fltsrv.exe");
    InstallRun run = Installed(RunMode::Wizard);
    run.ReportedOutside(install::InstallStep::CompatibilityLayer, "Failed to set data");
    EXPECT_EQ(run.Status(), ExitStatus::InstalledIncomplete);
    EXPECT_EQ(ShownText(run),
              "The installation of tidyKiosk Filter v3 is incomplete: compatibility setting did "
              "not complete. Please click Finish to quit. The computer must be restarted to "
              "finish the installation.");
    run.ReportedOutside(install::InstallStep::ReportedError, "out of memory");
    run.ReportedOutside(install::InstallStep::ReportedError, "out of memory");
    EXPECT_NE(ShownText(run).find("compatibility setting and a step that reported an error did"),
              std::string::npos)
        << ShownText(run);
}

// The event says what the status says, with every line the console got and the last page.
TEST_F(InstallRunTest, TheRunsEventCarriesItsStatusTypeIdAndEveryLineNotDone) {
    using platform::EventType;
    const RunEvent complete = Installed(RunMode::Silent).Event("x");
    EXPECT_EQ(complete.type, EventType::Information);
    EXPECT_EQ(complete.id, 100u);
    EXPECT_EQ(complete.text.substr(0, complete.text.find("\r\n") + 2),
              install::AppNameOf(install::kServerEdition) + "\r\n");
    EXPECT_NE(complete.text.find("\r\nInstall folder: C:\\X\\\r\nRan: silent\r\nExit status: 0 "
                                 "(installed)"),
              std::string::npos)
        << complete.text;

    files.busyFiles.insert("C:\\X\\sporder.dll");
    InstallRun incomplete = Installed(RunMode::Wizard);
    incomplete.ReportedOutside(install::InstallStep::CompatibilityLayer, "Failed to set data");
    const RunEvent warning = incomplete.Event("tidyKiosk Filter v3");
    EXPECT_EQ(warning.type, EventType::Warning);
    EXPECT_EQ(warning.id, 103u);
    for (const char* part :
         {"C:\\X\\sporder.dll: not installed: read-only\r\nFailed to set data",
          "\r\nLast page: The installation of tidyKiosk Filter v3 is incomplete"}) {
        EXPECT_NE(warning.text.find(part), std::string::npos) << part << "\n" << warning.text;
    }

    system.lockEnd = SetupRunLockEnd::StillHeld;
    const RunEvent waited = Installed(RunMode::Silent).Event("x");
    EXPECT_EQ(waited.type, EventType::Error);
    EXPECT_EQ(waited.id, 107u);
    EXPECT_NE(waited.text.find("\r\nAnother setup program"), std::string::npos);
    EXPECT_EQ(InstallRun(RunMode::Wizard).Event("x").id, 104u);
    EXPECT_EQ(platform::EventIdOf(3010), 110u);
}

// A log that refuses the event leaves the status as it was.
TEST_F(InstallRunTest, AnEventThatCannotBeWrittenChangesNothing) {
    class RefusingLog : public platform::EventLog {
    public:
        int calls = 0;
        bool Report(platform::EventType, std::uint32_t, const std::string&) override {
            ++calls;
            throw std::bad_alloc();
        }
    } log;
    const InstallRun run = Installed(RunMode::Silent);
    EXPECT_EQ(ReportEnd(log, run.Event("x"), run.Status()), ExitStatus::Installed);
    EXPECT_EQ(log.calls, 1);
}

// A run that does not get the setup-run lock writes nothing. Another run keeping it, or an
// object no administrator made holding its name, ends 7 (deployment tools try again later);
// a wait the system refused is an error like any other, and says so.
TEST_F(InstallRunTest, ARunWithoutTheSetupRunLockEndsSevenUnlessTheWaitFailed) {
    struct Case {
        SetupRunLockEnd end;
        RunMode mode;
        ExitStatus expected;
        const char* message;
    };
    const Case cases[] = {
        {SetupRunLockEnd::StillHeld, RunMode::Silent, ExitStatus::AnotherSetupRun,
         "Another setup program"},
        {SetupRunLockEnd::StillHeld, RunMode::Wizard, ExitStatus::AnotherSetupRun,
         "Another setup program"},
        {SetupRunLockEnd::NotTrusted, RunMode::Silent, ExitStatus::AnotherSetupRun,
         "no administrator made"},
        {SetupRunLockEnd::Failed, RunMode::Wizard, ExitStatus::StoppedByError,
         "(error 6). Nothing"},
    };
    for (const Case& c : cases) {
        system.lockEnd = c.end;
        system.lockError = 6;
        const InstallRun run = Installed(c.mode);
        EXPECT_EQ(run.Status(), c.expected) << static_cast<int>(c.end);
        EXPECT_NE(stop.find(c.message), std::string::npos) << stop;
        EXPECT_TRUE(files.files.empty()) << static_cast<int>(c.end);
    }
}

}  // namespace
}  // namespace tk::app
