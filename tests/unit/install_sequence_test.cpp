#include "install/install_sequence.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <stdexcept>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "install/install_error.h"
#include "test_support.h"

namespace tk::install {
namespace {

using testing::Bytes;
using testing::Deflate;

class RecordingSteps : public InstallSteps {
public:
    std::vector<std::string>* log = nullptr;
    bool folderAccessResult = true;
    bool providerResult = true;
    bool shortcutsResult = true;
    bool registryResult = true;
    bool folderAccessThrows = false;
    bool providerThrows = false;
    bool shortcutsThrow = false;

    bool SetFolderAccess(const std::string& data, const std::string& install) override {
        log->push_back("SetFolderAccess " + data + " | " + install);
        if (folderAccessThrows) {
            throw std::runtime_error("access");
        }
        return folderAccessResult;
    }
    bool RunProviderStep(const std::string& helper, const std::string& library) override {
        log->push_back("Provider " + helper + " | " + library);
        if (providerThrows) {
            throw std::runtime_error("provider");
        }
        return providerResult;
    }
    bool MakeShortcuts(const std::string& target, const std::string& name) override {
        log->push_back("MakeShortcuts " + target + " | " + name);
        if (shortcutsThrow) {
            throw InstallError("Shell link object could not be created");
        }
        return shortcutsResult;
    }
    bool WriteRegistryEntries(EditionCode, const std::string&) override {
        log->push_back("WriteRegistryEntries");
        return registryResult;
    }
};

class InstallSequenceTest : public ::testing::Test {
protected:
    InstallSequenceTest() {
        files.log = &log;
        view.log = &log;
        steps.log = &log;
        files.AddDirectoryTree("C:\\ProgramData");
        for (const PayloadEntry& entry : PayloadCatalogue()) {
            resources.data[entry.id] = Deflate(Bytes(std::string(entry.entry)));
        }
    }

    InstallOutcome Run() {
        InstallSequence sequence(request, files, resources, system, view, steps);
        const InstallOutcome outcome = sequence.Run();
        Settle(sequence, outcome);
        return outcome;
    }
    // What the window does once the sequence has run: the last page, from what it left.
    void Settle(const InstallSequence& sequence, InstallOutcome outcome) {
        installFolder = sequence.InstallFolder();
        dataFolder = sequence.DataFolder();
        if (outcome != InstallOutcome::NoInstallFolder) {
            ShowCompletion(view, "tidyKiosk Filter v3", sequence.Report());
        }
    }
    std::vector<std::string> Matching(const std::string& prefix) const {
        std::vector<std::string> out;
        std::copy_if(log.begin(), log.end(), std::back_inserter(out),
                     [&](const std::string& e) { return e.rfind(prefix, 0) == 0; });
        return out;
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
    RecordingSteps steps;
    std::string dataFolder;
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
        "SetFolderAccess " + data + " | " + install,
        "Status Copying files...",
        "WriteProfile " + data + "datax\\data.ini [Settings] Lang=english.lng",
        "Status Creating registry keys...",
        "Provider " + install + "_fltw.exe | " + install + "plugin\\_kfilter.dll",
        "Status Creating registry keys...",
        "Status Creating registry keys...",
        "Status Creating desktop shortcuts...",
        "MakeShortcuts " + install + "fltsrv.exe | tidyKiosk Filter Server",
        "WriteRegistryEntries",
        "ShowCompletion",
    };
    std::vector<std::string> seen;
    std::copy_if(log.begin(), log.end(), std::back_inserter(seen), [&](const std::string& e) {
        return std::find(milestones.begin(), milestones.end(), e) != milestones.end();
    });
    EXPECT_EQ(seen, milestones);

    EXPECT_EQ(InstalledFiles(install).size(), 15u);
    EXPECT_EQ(files.Text(install + "proto\\proto.txt"), "proto\\proto.txt");
    EXPECT_TRUE(files.DirectoryExists(install + "datax")) << "made, but left empty";
    EXPECT_FALSE(files.FileExists(install + "datax\\data.ini"));
    EXPECT_EQ(view.completedText,
              "tidyKiosk Filter v3 is successfully installed. Please click Finish to quit.");
    EXPECT_EQ(view.runCaption, "Run tidyKiosk Filter v3");

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
    EXPECT_EQ(
        Matching("MakeShortcuts"),
        (std::vector<std::string>{"MakeShortcuts C:\\Cafe\\fltcln.exe | tidyKiosk Filter Client"}));
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
    EXPECT_EQ(Matching("MakeShortcuts"),
              (std::vector<std::string>{
                  "MakeShortcuts D:\\Deploy\\Filter\\fltsrv.exe | tidyKiosk Filter Server"}));
}

TEST_F(InstallSequenceTest, EmptyInstallFolderWritesNothing) {
    request.installFolder = "";
    EXPECT_EQ(Run(), InstallOutcome::NoInstallFolder);
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(Matching("MakeDirector").empty());
    EXPECT_TRUE(Matching("SetFolderAccess").empty());
    EXPECT_FALSE(view.completionShown);
}

TEST_F(InstallSequenceTest, AFolderInTheWindowsFolderOrAnotherRunStillGoingWritesNothing) {
    const auto stopsWith = [&](const std::string& folder, const std::string& begins) {
        request.installFolder = folder;
        try {
            Run();
            ADD_FAILURE() << "expected an InstallError for " << folder;
        } catch (const InstallError& error) {
            EXPECT_EQ(std::string(error.what()).rfind(begins, 0), 0u) << error.what();
        }
        EXPECT_TRUE(files.files.empty());
        EXPECT_TRUE(Matching("MakeDirector").empty());
        EXPECT_FALSE(view.completionShown);
    };
    stopsWith("c:\\windows\\System32\\Filter",
              "The install folder c:\\windows\\System32\\Filter\\ is inside");
    stopsWith("C:\\WINDOWS", "The install folder C:\\WINDOWS\\ is inside");
    system.otherRunHoldsLock = true;
    stopsWith("C:\\WINDOWSX\\", "Another setup program has been installing");
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
    try {
        Run();
        FAIL() << "expected an InstallError";
    } catch (const InstallError& error) {
        EXPECT_EQ(std::string(error.what()), "Unable to write to " + settings);
    }
    EXPECT_TRUE(Matching("Provider").empty());
    EXPECT_TRUE(Matching("MakeShortcuts").empty());
    EXPECT_TRUE(Matching("WriteRegistryEntries").empty());
    EXPECT_FALSE(view.completionShown);
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
    steps.folderAccessThrows = true;
    steps.providerThrows = true;
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_TRUE(view.completionShown);
    // The last page says so as the status does, and does not offer to start a program
    // that may not work without its rights or its filter.
    EXPECT_EQ(view.completedText,
              "The installation of tidyKiosk Filter v3 is incomplete: access rights of the "
              "folders and filter provider registration did not complete. Please click Finish "
              "to quit.");
    EXPECT_TRUE(view.runUnticked);

    for (auto flag : {&RecordingSteps::shortcutsResult, &RecordingSteps::registryResult,
                      &RecordingSteps::folderAccessResult, &RecordingSteps::providerResult}) {
        RecordingSteps fresh;
        fresh.log = &log;
        steps = fresh;
        steps.*flag = false;
        EXPECT_EQ(Run(), InstallOutcome::Incomplete);
        EXPECT_NE(view.completedText.find(" did not complete."), std::string::npos);
        const bool programWorks =
            flag == &RecordingSteps::shortcutsResult || flag == &RecordingSteps::registryResult;
        EXPECT_EQ(view.runUnticked, !programWorks) << view.completedText;
    }
}

TEST_F(InstallSequenceTest, EachPayloadFileFailsOnItsOwn) {
    request.installFolder = "C:\\X\\";
    files.throwingFiles.insert("C:\\X\\fltfw.exe");  // out of memory for this one file
    EXPECT_EQ(Run(), InstallOutcome::Incomplete);
    EXPECT_FALSE(files.FileExists("C:\\X\\fltfw.exe"));
    EXPECT_EQ(InstalledFiles("C:\\X\\").size(), 14u) << "every other file is written";
    EXPECT_EQ(Matching("Provider").size(), 1u);
    EXPECT_TRUE(view.completionShown);

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
    EXPECT_EQ(Matching("MakeShortcuts").size(), 1u);
    EXPECT_EQ(Matching("WriteRegistryEntries").size(), 1u);
    EXPECT_TRUE(view.completionShown);
}

TEST_F(InstallSequenceTest, ADamagedStreamStopsBeforeAnythingIsWritten) {
    request.installFolder = "C:\\X\\";
    auto& damaged = resources.data[110];
    damaged[damaged.size() / 2] ^= 0x01;
    try {
        Run();
        FAIL() << "expected an InstallError";
    } catch (const InstallError& error) {
        EXPECT_EQ(std::string(error.what()), "The setup program is damaged. Download it again.");
    }
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(files.profiles.empty());
    EXPECT_TRUE(Matching("MakeDirector").empty());
    EXPECT_TRUE(Matching("SetFolderAccess").empty());
    EXPECT_FALSE(view.completionShown);
}

TEST_F(InstallSequenceTest, FilesInUseArePendingARestartAndFilesNotWrittenWinOverIt) {
    request.installFolder = "C:\\X\\";
    files.AddDirectoryTree("C:\\X\\plugin");
    for (const char* name : {"fltsrv.exe", "plugin\\_kfilter.dll"}) {
        files.files[std::string("C:\\X\\") + name] = Bytes("old");
        files.inUseFiles.insert(std::string("C:\\X\\") + name);
    }
    EXPECT_EQ(Run(), InstallOutcome::RestartPending);
    EXPECT_EQ(files.pendingRenames.size(), 2u);
    EXPECT_TRUE(view.runUnticked);
    EXPECT_EQ(view.completedText,
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
    steps.registryResult = false;
    InstallSequence sequence(request, files, resources, system, view, steps);
    EXPECT_EQ(sequence.Run(), InstallOutcome::Incomplete);
    Settle(sequence, InstallOutcome::Incomplete);
    EXPECT_TRUE(view.runUnticked);
    EXPECT_EQ(view.completedText,
              "The installation of tidyKiosk Filter v3 is incomplete: fltcln.exe, fltfw.exe, "
              "_fltw.exe and 2 more could not be written; registry entries did not complete. "
              "Please click Finish to quit. The computer must be restarted to finish the "
              "installation.");
    const auto lines = ReportLines(sequence.Report());
    EXPECT_EQ(lines.front(),
              "C:\\X\\fltsrv.exe: in use; it will be replaced when the computer restarts");
    EXPECT_NE(std::find(lines.begin(), lines.end(), "C:\\X\\sporder.dll: not installed: read-only"),
              lines.end());
    EXPECT_EQ(lines.back(), "registry entries: did not complete");
    EXPECT_EQ(lines.size(), 8u);
}

TEST_F(InstallSequenceTest, AStoppingShortcutErrorPropagates) {
    request.installFolder = "C:\\X\\";
    steps.shortcutsThrow = true;
    EXPECT_THROW(Run(), InstallError);
    EXPECT_TRUE(Matching("WriteRegistryEntries").empty());
    EXPECT_FALSE(view.completionShown);
}

}  // namespace
}  // namespace tk::install
