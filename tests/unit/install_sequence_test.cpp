#include "install/install_sequence.h"
#include "app/install_run.h"
#include "install/run_record.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_registry.h"
#include "fakes/fake_security.h"
#include "fakes/fake_shell.h"
#include "install/install_error.h"
#include "install/registry_entries.h"
#include "test_support.h"

namespace tk::install {
namespace {

using testing::Bytes;
using testing::Deflate;

// The window's provider step: what it was asked, and a scripted answer.
class RecordingProvider : public ProviderPort {
public:
    std::vector<std::string>* log = nullptr;
    bool result = true;
    bool throws = false;

    bool RunProviderStep(const std::string& helper, const std::string& library) override {
        log->push_back("Provider " + helper + " | " + library);
        if (throws) {
            throw std::runtime_error("provider");
        }
        return result;
    }
};

constexpr const char* kDesktop = "C:\\Users\\Public\\Desktop";
constexpr const char* kPrograms = "C:\\ProgramData\\Start Menu\\Programs";

class InstallSequenceTest : public ::testing::Test {
protected:
    InstallSequenceTest() {
        files.log = &log;
        view.log = &log;
        security.log = &log;
        shell.log = &log;
        registry.sharedLog = &log;
        provider.log = &log;
        files.AddDirectoryTree("C:\\ProgramData");
        files.AddDirectoryTree(kDesktop);
        files.AddDirectoryTree(kPrograms);
        shell.specialFolders = {{platform::kCsidlCommonDesktopDirectory, kDesktop},
                                {platform::kCsidlCommonPrograms, kPrograms}};
        registry.AddKey(platform::RegistryRoot::LocalMachine, std::string(kRunKey));
        for (const PayloadEntry& entry : PayloadCatalogue()) {
            resources.data[entry.id] = Deflate(Bytes(std::string(entry.entry)));
        }
    }

    InstallOutcome Run() {
        lastPage.reset();
        InstallSequence sequence(request, Platform(), page, provider);
        const InstallOutcome outcome = sequence.Run();
        Settle(sequence, outcome);
        return outcome;
    }
    // The message of the error that stopped the run, or "none" when nothing stopped it.
    std::string StopMessage() {
        try {
            Run();
        } catch (const InstallError& error) {
            return error.what();
        }
        return "none";
    }
    // What the window does once the sequence has run: the last page, from what it left.
    void Settle(const InstallSequence& sequence, InstallOutcome outcome) {
        installFolder = sequence.InstallFolder();
        dataFolder = sequence.DataFolder();
        if (outcome != InstallOutcome::NoInstallFolder) {
            lastPage = app::LastPageOf("tidyKiosk Filter v3", sequence.Report());
            log.push_back("ShowCompletion");
        }
    }
    const app::LastPage& Last() const {
        static const app::LastPage none;
        return lastPage ? *lastPage : none;
    }
    InstallPlatform Platform() { return {files, resources, system, shell, security, registry}; }
    // The desktop link's text ("target|working folder"), or empty when there is none.
    std::string DesktopLink(const std::string& name) const {
        return files.Text(std::string(kDesktop) + "\\" + name + ".lnk");
    }
    // A refused write of the vendor key's "Path": the registration ends there.
    const std::string kFailingVendorWrite =
        fakes::FakeRegistry::Name(platform::RegistryRoot::LocalMachine,
                                  "Software\\VornSoft\\FltLogServer\\") +
        "|Path";
    // The calls whose lines start so; the run's own record is left out of the registry's.
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                     [&](const std::string& e) { return e.rfind(prefix, 0) == 0 && !IsRecord(e); });
        return out;
    }
    static bool IsRecord(const std::string& entry) {
        return entry.find(kRunRecordKey) != std::string::npos;
    }
    std::vector<std::string> InstalledFiles(const std::string& folder) const {
        std::vector<std::string> out;
        for (const auto& [path, bytes] : files.files) {
            if (path.rfind(folder, 0) == 0) {
                out.push_back(path.substr(folder.size()));
            }
        }
        return out;
    }

    std::vector<std::string> log;
    InstallRequest request;
    std::string installFolder;
    fakes::FakeFiles files;
    fakes::FakeResources resources;
    fakes::FakeSystem system;
    fakes::FakeProgressView view;
    ProgressPage page{view};
    fakes::FakeSecurity security{files};
    fakes::FakeShell shell{files};
    fakes::FakeRegistry registry;
    RecordingProvider provider;
    std::string dataFolder;
    std::optional<app::LastPage> lastPage;
};

TEST_F(InstallSequenceTest, ServerRunsEveryStepInOrderAndFillsTheBarExactly) {
    request.installFolder = "C:\\Program Files\\tidyKiosk\\Filter Server";
    ASSERT_EQ(Run(), InstallOutcome::Completed);

    const std::string install = "C:\\Program Files\\tidyKiosk\\Filter Server\\";
    const std::string data = "C:\\ProgramData\\tidyKiosk\\FServer\\";
    EXPECT_EQ(installFolder, install) << "normalised with its backslash";
    EXPECT_EQ(dataFolder, data);
    EXPECT_EQ(view.positionChanges, 1 + kProgressMaximum) << "reset plus 24 advances";
    EXPECT_EQ(view.position, kProgressMaximum);

    const std::vector<std::string> milestones = {
        "Status Preparing folders...",
        "Status Copying files...",
        "Grant " + data,
        "Grant " + install,
        "WriteProfile " + data + "datax\\data.ini [Settings] Lang=english.lng",
        "Status Creating registry keys...",
        "Provider " + install + "_fltw.exe | " + install + "plugin\\_kfilter.dll",
        "Status Creating registry keys...",
        "Status Creating registry keys...",
        "Status Creating desktop shortcuts...",
        "Save " + std::string(kDesktop) + "\\tidyKiosk Filter Server.lnk",
        "Save " + std::string(kPrograms) + "\\tidyKiosk\\tidyKiosk Filter Server.lnk",
        "Registry",
        "ShowCompletion",
    };
    std::vector<std::string> seen;
    for (std::string entry : log) {
        if (IsRecord(entry)) {
            continue;
        }
        entry = entry.rfind("Registry ", 0) == 0 ? "Registry" : entry;  // the registration
        if (std::find(milestones.begin(), milestones.end(), entry) != milestones.end() &&
            (seen.empty() || seen.back() != entry || entry != "Registry")) {
            seen.push_back(entry);
        }
    }
    EXPECT_EQ(seen, milestones);
    EXPECT_EQ(DesktopLink("tidyKiosk Filter Server"), install + "fltsrv.exe|" + install);
    EXPECT_EQ(registry.Text(platform::RegistryRoot::LocalMachine,
                            "Software\\VornSoft\\FltLogServer", "Path"),
              install);

    EXPECT_EQ(InstalledFiles(install).size(), 15u);
    EXPECT_EQ(files.Text(install + "proto\\proto.txt"), "proto\\proto.txt");
    EXPECT_TRUE(files.DirectoryExists(install + "datax")) << "made, but left empty";
    EXPECT_FALSE(files.FileExists(install + "datax\\data.ini"));
    EXPECT_EQ(Last().text,
              "tidyKiosk Filter v3 is successfully installed. Please click Finish to quit.");
    EXPECT_EQ(Last().runCaption, "Run tidyKiosk Filter v3");

    // The file line: each file's name, cleared after it, then "Please wait..." to the end.
    ASSERT_EQ(view.fileTexts.size(), 2 * 15 + 1);
    for (std::size_t i = 0; i < 30; i += 2) {
        EXPECT_FALSE(view.fileTexts[i].empty()) << i;
        EXPECT_EQ(view.fileTexts[i + 1], "") << i;
    }
    EXPECT_EQ(view.fileTexts[0], "fltsrv.exe");
    EXPECT_EQ(view.fileTexts.back(), "Please wait...");
}

TEST_F(InstallSequenceTest, ClientGetsSixFilesTwoLanguagesAndTwoExtraAdvances) {
    request.edition = kClientEdition;
    request.installFolder = "C:\\Cafe\\";
    ASSERT_EQ(Run(), InstallOutcome::Completed);

    EXPECT_EQ(InstalledFiles("C:\\Cafe\\"),
              (std::vector<std::string>{"Uninstall.exe", "_fltw.exe", "fltcln.exe", "fltfw.exe",
                                        "plugin\\_kfilter.dll", "sporder.dll"}));
    const std::string data = "C:\\ProgramData\\tidyKiosk\\FClient\\";
    EXPECT_EQ(InstalledFiles(data), (std::vector<std::string>{"languages\\data\\english.lng",
                                                              "languages\\data\\turkce.lng"}));
    EXPECT_EQ(files.profiles[data + "datax\\kayit.dat"]["Ayarlar"]["Language"], "english");
    EXPECT_EQ(view.positionChanges, 1 + 26);
    EXPECT_EQ(view.position, kProgressMaximum) << "the two extra advances are clamped";
    EXPECT_EQ(DesktopLink("tidyKiosk Filter Client"), "C:\\Cafe\\fltcln.exe|C:\\Cafe\\");
}

TEST_F(InstallSequenceTest, SilentModeUsesTheLongFormOfTheThirdArgument) {
    files.longNames["C:\\PROGRA~1\\X"] = "C:\\Program Files\\X";
    request.installFolder = SilentInstallFolder(files, "C:\\PROGRA~1\\X");
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(installFolder, "C:\\Program Files\\X\\");

    // A folder that does not exist yet has no long form and is used as typed.
    log.clear();
    request.installFolder = SilentInstallFolder(files, "C:\\New Folder");
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(installFolder, "C:\\New Folder\\");

    // A relative folder is taken from the current folder before anything sees it.
    log.clear();
    files.currentFolder = "D:\\Deploy\\";
    request.installFolder = SilentInstallFolder(files, "Filter");
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(installFolder, "D:\\Deploy\\Filter\\");
    EXPECT_EQ(DesktopLink("tidyKiosk Filter Server"),
              "D:\\Deploy\\Filter\\fltsrv.exe|D:\\Deploy\\Filter\\");
}

TEST_F(InstallSequenceTest, EmptyInstallFolderWritesNothing) {
    request.installFolder = "";
    EXPECT_EQ(Run(), InstallOutcome::NoInstallFolder);
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(Matching("MakeDirector").empty());
    EXPECT_TRUE(Matching("Grant").empty());
    EXPECT_FALSE(lastPage.has_value());
}

TEST_F(InstallSequenceTest, AFolderInTheWindowsFolderOrAnotherRunStillGoingWritesNothing) {
    const auto stopsWith = [&](const std::string& folder, const std::string& begins) {
        request.installFolder = folder;
        const std::string message = StopMessage();
        EXPECT_EQ(message.rfind(begins, 0), 0u) << message;
        EXPECT_TRUE(files.files.empty());
        EXPECT_TRUE(Matching("MakeDirector").empty());
        EXPECT_FALSE(lastPage.has_value());
    };
    stopsWith("c:\\windows\\System32\\Filter",
              "The install folder c:\\windows\\System32\\Filter\\ is inside");
    stopsWith("C:\\WINDOWS", "The install folder C:\\WINDOWS\\ is inside");
    // A short name of the Windows folder, with the last folders not there yet.
    files.AddDirectoryTree("C:\\WINDOW~1\\SYSTEM~1");
    files.longNames["C:\\WINDOW~1\\SYSTEM~1"] = "C:\\Windows\\System32";
    stopsWith("C:\\WINDOW~1\\SYSTEM~1\\New\\Filter", "The install folder C:\\WINDOW~1");
    system.otherRunHoldsLock = true;
    stopsWith("C:\\WINDOWSX\\", "Another setup program has been installing");
}

TEST_F(InstallSequenceTest, AnInstallFolderThatCannotBeMadeStopsTheRunBeforeAnythingIsWritten) {
    request.installFolder = "D:\\Filter";
    files.uncreatableFolders.insert("D:");  // no such drive
    EXPECT_EQ(StopMessage(),
              "The install folder D:\\Filter\\ could not be made (access denied). Nothing was "
              "installed.");
    EXPECT_TRUE(files.files.empty());
    EXPECT_EQ(Matching("MakeDirectories"), std::vector<std::string>{"MakeDirectories D:\\Filter\\"})
        << "no data folder either";
    EXPECT_TRUE(files.profiles.empty());
    EXPECT_TRUE(Matching("Save").empty());
    EXPECT_TRUE(Matching("Registry").empty());
}

TEST_F(InstallSequenceTest, DataFolderRules) {
    struct Case {
        const char* name;
        unsigned major;
        const char* allUsers;  // nullptr: unset
        std::string installFolder;
        bool candidateUncreatable;
        std::string expected;
    };
    const Case cases[] = {
        {"NT4", 4, "C:\\ProgramData", "C:\\X\\", false, "C:\\X\\"},
        {"Vista", 6, "C:\\ProgramData", "C:\\X\\", false, "C:\\ProgramData\\tidyKiosk\\FServer\\"},
        {"same as install", 6, "C:\\ProgramData", "C:\\ProgramData\\tidyKiosk\\FServer\\", false,
         "C:\\ProgramData\\tidyKiosk\\FServer\\"},
        {"cannot be made", 6, "C:\\ProgramData", "C:\\X\\", true, "C:\\X\\"},
        {"unset profile", 6, nullptr, "C:\\X\\", false, "\\tidyKiosk\\FServer\\"},
    };
    for (const Case& c : cases) {
        files = fakes::FakeFiles();
        files.AddDirectoryTree("C:\\ProgramData");
        system.majorVersion = c.major;
        system.environment.clear();
        if (c.allUsers != nullptr) {
            system.environment["ALLUSERSPROFILE"] = c.allUsers;
        }
        if (c.candidateUncreatable) {
            files.uncreatableFolders.insert("C:\\ProgramData\\tidyKiosk");
        }
        request.installFolder = c.installFolder;
        Run();
        EXPECT_EQ(dataFolder, c.expected) << c.name;
        EXPECT_TRUE(files.profiles.count(c.expected + "datax\\data.ini")) << c.name;
    }
}

TEST_F(InstallSequenceTest, SettingsFileFailureStopsTheSequence) {
    request.installFolder = "C:\\X\\";
    const std::string settings = "C:\\ProgramData\\tidyKiosk\\FServer\\datax\\data.ini";
    files.unwritableProfiles.insert(settings);
    EXPECT_EQ(StopMessage(), "Unable to write to " + settings);
    EXPECT_TRUE(Matching("Provider").empty());
    EXPECT_TRUE(Matching("Save").empty());
    EXPECT_TRUE(Matching("Registry").empty());
    EXPECT_FALSE(lastPage.has_value());
}

TEST_F(InstallSequenceTest, ReinstallKeepsOtherSettingsKeys) {
    request.installFolder = "C:\\X\\";
    const std::string settings = "C:\\ProgramData\\tidyKiosk\\FServer\\datax\\data.ini";
    files.AddDirectoryTree("C:\\ProgramData\\tidyKiosk\\FServer\\datax");
    files.profiles[settings]["Settings"]["Lang"] = "turkce.lng";
    files.profiles[settings]["Settings"]["Port"] = "8080";
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(files.profiles[settings]["Settings"]["Lang"], "english.lng");
    EXPECT_EQ(files.profiles[settings]["Settings"]["Port"], "8080");
}

TEST_F(InstallSequenceTest, SwallowedFailuresStillCompleteButAreReported) {
    request.installFolder = "C:\\X\\";
    security.grantThrows = true;
    provider.throws = true;
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_TRUE(lastPage.has_value());
    // The last page says so as the status does, and does not offer to start a program
    // that may not work without its rights or its filter.
    EXPECT_EQ(Last().text,
              "The installation of tidyKiosk Filter v3 is incomplete: access rights of the "
              "folders and filter provider registration did not complete. Please click Finish "
              "to quit.");
    EXPECT_TRUE(Last().runUnticked);

    // Each step failing on its own: the shortcuts (no shell folders), the registry (a
    // refused write), the folder rights (a refused grant), the provider.
    security.grantThrows = false;
    provider.throws = false;
    const auto shellFolders = shell.specialFolders;
    for (int failing = 0; failing < 4; ++failing) {
        shell.specialFolders = failing == 0 ? decltype(shellFolders)() : shellFolders;
        registry.failingWrite = failing == 1 ? kFailingVendorWrite : "";
        security.refusedFolders.clear();
        if (failing == 2) {
            security.refusedFolders.insert("C:\\ProgramData\\tidyKiosk\\FServer\\");
        }
        provider.result = failing != 3;
        EXPECT_EQ(Run(), InstallOutcome::Incomplete) << failing;
        EXPECT_NE(Last().text.find(" did not complete."), std::string::npos);
        const bool programWorks = failing < 2;
        EXPECT_EQ(Last().runUnticked, !programWorks) << Last().text;
    }

    // A refused grant whose batch did the work ("icacls" ended 0 for both folders) is done.
    provider.result = true;
    security.refusedFolders = {"C:\\ProgramData\\tidyKiosk\\FServer\\"};
    shell.batchEnd = {{0u, 0u}, true};
    EXPECT_EQ(Run(), InstallOutcome::Completed) << Last().text;
}

TEST_F(InstallSequenceTest, EachPayloadFileFailsOnItsOwn) {
    request.installFolder = "C:\\X\\";
    files.throwingFiles.insert("C:\\X\\fltfw.exe");  // out of memory for this one file
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_FALSE(files.FileExists("C:\\X\\fltfw.exe"));
    EXPECT_EQ(InstalledFiles("C:\\X\\").size(), 14u) << "every other file is written";
    EXPECT_EQ(Matching("Provider").size(), 1u);
    EXPECT_TRUE(lastPage.has_value());

    files.throwingFiles.clear();
    files.files["C:\\X\\fltsrv.exe"] = Bytes("running");
    files.busyFiles.insert("C:\\X\\fltsrv.exe");
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_EQ(files.Text("C:\\X\\fltsrv.exe"), "running");
}

TEST_F(InstallSequenceTest, WithoutTheHelperTheProviderStepIsSkippedAndTheInstallIncomplete) {
    // Every file is reported written, but the helper is gone at once (taken by a scanner):
    // only the missing helper can make this install incomplete.
    request.installFolder = "C:\\X\\";
    files.vanishingFiles.insert("C:\\X\\_fltw.exe");
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_TRUE(Matching("Provider").empty());
    EXPECT_EQ(Matching("Save").size(), 2u);
    EXPECT_FALSE(Matching("Registry").empty());
    EXPECT_TRUE(lastPage.has_value());
}

TEST_F(InstallSequenceTest, ADamagedStreamLeavesNothingBehind) {
    request.installFolder = "C:\\X\\Filter\\";
    const auto folders = files.directories;
    auto& damaged = resources.data[110];
    damaged[damaged.size() / 2] ^= 0x01;
    EXPECT_EQ(StopMessage(), "The setup program is damaged. Download it again.");
    EXPECT_TRUE(files.files.empty()) << "neither a file nor a temporary file";
    EXPECT_EQ(files.directories, folders) << "every folder the run made is gone";
    EXPECT_TRUE(files.profiles.empty());
    EXPECT_TRUE(Matching("Grant").empty());
    EXPECT_FALSE(lastPage.has_value());
}

TEST_F(InstallSequenceTest, ADiskThatFillsWhileStagingLeavesTheEarlierInstallAsItWas) {
    request.installFolder = "C:\\X\\";
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    for (auto& [path, bytes] : files.files) {
        bytes = Bytes("old " + path);
    }
    const auto before = files.files;
    files.roomForFiles = 7;
    EXPECT_EQ(StopMessage(),
              "There is not enough space on the disk: C:\\X\\proto\\proto-search.txt could not be "
              "written (disk full). Nothing was installed or changed; free some space and run the "
              "setup again.");
    EXPECT_EQ(files.files, before) << "every old file as it was, and no staged file";
    EXPECT_TRUE(files.restartList.empty());

    files.roomForFiles = -1;
    EXPECT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(files.Text("C:\\X\\fltsrv.exe"), "fltsrv.exe");
}

TEST_F(InstallSequenceTest, TheNextRunTakesAwayWhatAKilledRunOfTheOtherEditionLeft) {
    // A Client run into another folder was ended while it staged its files and wrote the
    // copy of a file in use, before the copy's rename was added.
    const std::string other = "D:\\Client\\";
    files.AddDirectoryTree(other + "language");
    files.files[other + "tk~1.tmp"] = Bytes("half");
    files.files[other + "language\\tk~2.tmp"] = Bytes("staged");
    files.files[other + "~fltcln.exe"] = Bytes("copy");
    files.files[other + "fltcln.exe"] = Bytes("old");
    files.restartList = {{other + "~fltcln.exe", other + "fltcln.exe"}, {"C:\\theirs", ""}};
    registry.SetText(platform::RegistryRoot::LocalMachine, kRunRecordKey, kRunRecordValue,
                     other + "|" + other + "language\\|" + other + "~fltcln.exe");
    request.installFolder = "C:\\X\\";
    ASSERT_EQ(Run(), InstallOutcome::Completed);
    EXPECT_EQ(InstalledFiles(other), std::vector<std::string>{"fltcln.exe"});
    EXPECT_EQ(files.restartList, (decltype(files.restartList){{"C:\\theirs", ""}}));
    EXPECT_EQ(registry.Text(platform::RegistryRoot::LocalMachine, kRunRecordKey, kRunRecordValue),
              "<missing>");
}

TEST_F(InstallSequenceTest, FilesInUseArePendingARestartAndFilesNotWrittenWinOverIt) {
    request.installFolder = "C:\\X\\";
    files.AddDirectoryTree("C:\\X\\plugin");
    for (const char* name : {"fltsrv.exe", "plugin\\_kfilter.dll"}) {
        files.files[std::string("C:\\X\\") + name] = Bytes("old");
        files.inUseFiles.insert(std::string("C:\\X\\") + name);
    }
    EXPECT_EQ(Run(), InstallOutcome::RestartPending);
    EXPECT_EQ(files.restartList.size(), 2u);
    EXPECT_TRUE(Last().runUnticked);
    EXPECT_EQ(Last().text,
              "tidyKiosk Filter v3 is successfully installed. Please click Finish to quit. The "
              "computer must be restarted to finish the installation.");
    EXPECT_EQ(
        Matching("Provider"),
        (std::vector<std::string>{"Provider C:\\X\\_fltw.exe | C:\\X\\plugin\\_kfilter.dll"}));

    // Read-only files are not scheduled; they make the install incomplete, which wins.
    for (const char* name :
         {"sporder.dll", "fltcln.exe", "fltfw.exe", "Uninstall.exe", "_fltw.exe"}) {
        files.busyFiles.insert(std::string("C:\\X\\") + name);
    }
    registry.failingWrite = kFailingVendorWrite;
    InstallSequence sequence(request, Platform(), page, provider);
    EXPECT_EQ(sequence.Run(), InstallOutcome::Incomplete);
    Settle(sequence, InstallOutcome::Incomplete);
    EXPECT_TRUE(Last().runUnticked);
    EXPECT_EQ(Last().text,
              "The installation of tidyKiosk Filter v3 is incomplete: fltcln.exe, fltfw.exe, "
              "_fltw.exe and 2 more could not be written; registry entries did not complete. "
              "Please click Finish to quit. The computer must be restarted to finish the "
              "installation.");
    const auto lines = app::UnfinishedLinesOf(sequence.Report());
    EXPECT_EQ(lines.front(),
              "C:\\X\\fltsrv.exe: in use; it will be replaced when the computer restarts");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "C:\\X\\sporder.dll: not installed: read-only"),
              lines.end());
    EXPECT_EQ(lines.back(), "registry entries: did not complete");
    EXPECT_EQ(lines.size(), 8u);
}

TEST_F(InstallSequenceTest, AStoppingShortcutErrorPropagates) {
    request.installFolder = "C:\\X\\";
    shell.createError = platform::Status(0x80004005u);  // no shell link object
    EXPECT_THROW(Run(), InstallError);
    EXPECT_TRUE(Matching("Registry").empty());
    EXPECT_FALSE(lastPage.has_value());
}

}  // namespace
}  // namespace tk::install
