#include "install/folder_access.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <numeric>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_security.h"
#include "fakes/fake_shell.h"

namespace tk::install {
namespace {

constexpr const char* kData = "C:\\ProgramData\\tidyKiosk\\FServer\\";
constexpr const char* kInstall = "C:\\Program Files\\tidyKiosk\\";
constexpr const char* kBatch = "C:\\ProgramData\\tidyKiosk\\FServer\\acc.bat";

class FolderAccessTest : public ::testing::Test {
protected:
    FolderAccessTest() {
        files.log = &log;
        security.log = &log;
        shell.log = &log;
        system.log = &log;
        files.AddDirectoryTree("C:\\ProgramData");
        // The batch file as the started program finds it.
        shell.onLaunch = [this](const fakes::FakeShell::Launch& run) {
            startedBatch = files.Text(run.file);
        };
        shell.batchEnd = {{0u, 0u}, true};  // both "icacls" runs ended by themselves with 0
    }

    bool Run(const std::string& data = kData, const std::string& install = kInstall) {
        return access.SetFolderAccess(data, install);
    }
    int Count(const std::string& prefix) const {
        return static_cast<int>(std::count_if(
            log.begin(), log.end(), [&](const std::string& e) { return e.rfind(prefix, 0) == 0; }));
    }
    std::uint32_t Slept() const {
        return std::accumulate(system.sleeps.begin(), system.sleeps.end(), 0u);
    }

    std::vector<std::string> log;
    fakes::FakeFiles files;
    fakes::FakeSecurity security{files};
    fakes::FakeShell shell{files};
    fakes::FakeSystem system;
    int pumps = 0;  // how often the window was let handle its messages
    FolderAccess access{files, security, shell, system, [this] { ++pumps; }};
    std::string startedBatch;
};

TEST_F(FolderAccessTest, BothFoldersAreMadeBeforeAnyGrantAndTwoGrantsNeedNoBatch) {
    EXPECT_TRUE(Run());
    EXPECT_EQ(log,
              (std::vector<std::string>{"MakeDirectories C:\\ProgramData\\tidyKiosk\\FServer\\",
                                        "MakeDirectories C:\\Program Files\\tidyKiosk\\",
                                        "Grant C:\\ProgramData\\tidyKiosk\\FServer\\",
                                        "Grant C:\\Program Files\\tidyKiosk\\"}));
    EXPECT_TRUE(files.DirectoryExists(kData));
    EXPECT_TRUE(files.DirectoryExists(kInstall));
    EXPECT_TRUE(system.sleeps.empty());

    // Folders that exist already are left as they are.
    log.clear();
    EXPECT_TRUE(Run());
    EXPECT_EQ(Count("MakeDirectories"), 0);
}

TEST_F(FolderAccessTest, AFailedGrantRunsTheBatchForBothFolders) {
    // "EVERYONE" unknown on the install folder's system: its merge fails.
    security.refusedFolders = {kInstall};
    files.AddDirectoryTree(kInstall);
    files.AddDirectoryTree(kData);
    files.shortNames = {{"C:\\ProgramData\\tidyKiosk\\FServer", "C:\\PROGRA~2\\TIDYKI~1\\FServer"},
                        {"C:\\Program Files\\tidyKiosk", "C:\\PROGRA~1\\TIDYKI~1"}};

    EXPECT_TRUE(Run()) << "the batch did the work";
    EXPECT_EQ(security.grants, (std::vector<std::string>{kData, kInstall}));
    EXPECT_EQ(startedBatch,
              "@echo off\r\n"
              "icacls \"C:\\PROGRA~2\\TIDYKI~1\\FServer\" /grant:r Users:(OI)(CI)F\r\n"
              "icacls \"C:\\PROGRA~1\\TIDYKI~1\" /grant:r Users:(OI)(CI)F\r\n"
              ":try\r\n"
              "del \"C:\\ProgramData\\tidyKiosk\\FServer\\acc.bat\"\r\n"
              "if exist \"C:\\ProgramData\\tidyKiosk\\FServer\\acc.bat\" goto try\r\n");
    ASSERT_EQ(shell.launches.size(), 1u);
    EXPECT_EQ(shell.launches[0].file, kBatch);
    // The job ends once the two "icacls" runs are over, or after a minute.
    ASSERT_EQ(shell.batchLimits.size(), 1u);
    EXPECT_EQ(std::pair(shell.batchLimits[0].programs, shell.batchLimits[0].milliseconds),
              std::pair(std::size_t{2}, std::uint32_t{60000}));
    // Half a second before the batch is written; then the wait for the batch, and the file
    // is deleted here (the loop looks once more). The window answers through every wait.
    EXPECT_EQ(system.sleeps, (std::vector<std::uint32_t>{500, 10}));
    EXPECT_EQ(pumps, 3);
    EXPECT_FALSE(files.FileExists(kBatch));
}

TEST_F(FolderAccessTest, TheBatchCountsAsDoneOnlyWhenBothIcaclsRunsAreKnownToHaveSucceeded) {
    security.refusedFolders = {kData};
    const struct {
        platform::BatchRunEnd end;
        bool done;
    } cases[] = {
        {{{0u, 0u}, true}, true},
        {{{0u, 0u, 0u}, true}, true},
        {{{0u, 5u}, true}, false},            // access denied on the install folder
        {{{0u}, true}, false},                // the second one still ran when the job ended
        {{{}, true}, false},                  // no "icacls" on this system
        {{{0u, std::nullopt}, true}, false},  // a status that could not be read
        {{{0u, 0u}, false}, false},           // a program the job held went unseen
    };
    for (const auto& c : cases) {
        shell.batchEnd = c.end;
        EXPECT_EQ(Run(), c.done) << c.end.programExits.size() << " programs, complete "
                                 << c.end.complete;
        EXPECT_FALSE(files.FileExists(kBatch));
    }
    // A batch that could not be started inside a job never ran, and did nothing.
    shell.results = {2};
    EXPECT_FALSE(Run());
    EXPECT_FALSE(files.FileExists(kBatch));
}

TEST_F(FolderAccessTest, TheBatchStaysLockedUntilNothingRunsInItsJob) {
    security.refusedFolders = {kData};
    bool removableWhenStarted = true;
    shell.onLaunch = [&](const fakes::FakeShell::Launch& run) {
        startedBatch = files.Text(run.file);
        removableWhenStarted = files.RemoveFile(run.file);
    };
    EXPECT_TRUE(Run());
    EXPECT_NE(startedBatch, "");
    EXPECT_FALSE(removableWhenStarted);
    // Released once the job is over and before the cleanup loop deletes it.
    const auto release = std::find(log.begin(), log.end(), "Release " + std::string(kBatch));
    ASSERT_NE(release, log.end());
    EXPECT_NE(std::find(log.begin(), release, "BatchEnded"), release);
    EXPECT_EQ(*std::next(release), "RemoveFile " + std::string(kBatch));
    EXPECT_FALSE(files.FileExists(kBatch));
}

TEST_F(FolderAccessTest, AShortFormIsUsedOnlyWhenItFitsIn255Characters) {
    const std::string path = "C:\\" + std::string(260, 'x');
    files.AddDirectoryTree(path);
    const std::string fits = "C:\\" + std::string(251, 's');  // 254 characters
    files.shortNames = {{path, fits}};
    EXPECT_EQ(GetShortPath(files, path), fits);
    files.shortNames = {{path, fits + "s"}};
    EXPECT_EQ(GetShortPath(files, path), path);
    EXPECT_EQ(GetShortPath(files, "C:\\missing"), "C:\\missing");  // no short form at all
}

TEST_F(FolderAccessTest, TheDataFolderIsTriedFirstAndAloneWhenItFails) {
    security.refusedFolders = {kData};
    EXPECT_TRUE(Run());
    EXPECT_EQ(security.grants, std::vector<std::string>{kData});
    EXPECT_EQ(shell.launches.size(), 1u);
}

TEST_F(FolderAccessTest, ADataFolderThatIsTheInstallFolderIsTreatedTwice) {
    const std::string folder = "D:\\Cafe\\";
    EXPECT_TRUE(Run(folder, folder));
    EXPECT_EQ(security.grants, (std::vector<std::string>{folder, folder}));

    security.refusedFolders = {folder};
    EXPECT_TRUE(Run(folder, folder));
    EXPECT_EQ(startedBatch,
              "@echo off\r\n"
              "icacls \"D:\\Cafe\" /grant:r Users:(OI)(CI)F\r\n"
              "icacls \"D:\\Cafe\" /grant:r Users:(OI)(CI)F\r\n"
              ":try\r\n"
              "del \"D:\\Cafe\\acc.bat\"\r\n"
              "if exist \"D:\\Cafe\\acc.bat\" goto try\r\n");
}

TEST_F(FolderAccessTest, FolderTextsAreTrimmedAndLoseOneBackslash) {
    EXPECT_EQ(BatchFolderText("C:\\Cafe Data\\"), "C:\\Cafe Data");
    EXPECT_EQ(BatchFolderText(" \tC:\\Cafe Data\\ \r\n"), "C:\\Cafe Data");
    EXPECT_EQ(BatchFolderText("C:\\X\\\\"), "C:\\X\\");
    EXPECT_EQ(BatchFolderText("C:\\X"), "C:\\X");
    EXPECT_EQ(BatchFolderText("C:\\\xDC\xE7\xFC\\"), "C:\\\xDC\xE7\xFC");  // 1254 letters stay
    EXPECT_EQ(BatchFolderText(" \\ "), "");
}

TEST_F(FolderAccessTest, AnEarlierBatchFileIsReplacedAndNamedByItsShortForm) {
    security.refusedFolders = {kData};
    files.AddDirectoryTree(kData);
    files.files[kBatch] = {'x'};
    files.shortNames = {{kBatch, "C:\\PROGRA~2\\TIDYKI~1\\FServer\\ACC~1.BAT"}};
    // The same file under its other name.
    files.AddDirectoryTree("C:\\PROGRA~2\\TIDYKI~1\\FServer");
    files.files["C:\\PROGRA~2\\TIDYKI~1\\FServer\\ACC~1.BAT"] = {'x'};

    EXPECT_TRUE(Run());
    EXPECT_EQ(startedBatch.substr(0, 11), "@echo off\r\n") << "the earlier file was replaced";
    const std::string shortBatch = "C:\\PROGRA~2\\TIDYKI~1\\FServer\\ACC~1.BAT";
    EXPECT_EQ(shell.launches.at(0).file, shortBatch);
    EXPECT_NE(startedBatch.find("del \"" + shortBatch + "\"\r\nif exist \"" + shortBatch +
                                "\" goto try\r\n"),
              std::string::npos);
}

TEST_F(FolderAccessTest, ABatchThatCannotBeWrittenIsNeverStarted) {
    security.refusedFolders = {kData};
    security.privateWriteFails = true;
    EXPECT_FALSE(Run());
    EXPECT_TRUE(shell.launches.empty());
    EXPECT_EQ(system.sleeps, std::vector<std::uint32_t>{500});
}

TEST_F(FolderAccessTest, TheCleanupLoopLeavesABatchThatDeletedItselfAlone) {
    security.refusedFolders = {kData};
    shell.onLaunch = [this](const fakes::FakeShell::Launch& run) { files.files.erase(run.file); };
    EXPECT_TRUE(Run());
    EXPECT_EQ(Count("RemoveFile " + std::string(kBatch)), 1);  // only the one before writing
    EXPECT_EQ(system.sleeps, std::vector<std::uint32_t>{500});
}

TEST_F(FolderAccessTest, TheCleanupLoopGivesUpAfterJustOverASecond) {
    security.refusedFolders = {kData};
    // The running batch holds its file, so it can be deleted by nobody.
    shell.onLaunch = [this](const fakes::FakeShell::Launch& run) {
        files.busyFiles.insert(run.file);
    };
    for (const std::uint32_t start : {1000u, 0xFFFFFF00u}) {  // the tick count may wrap
        system.tick = start;
        system.sleeps.clear();
        files.busyFiles.clear();
        EXPECT_TRUE(Run()) << "a file left behind takes nothing from what the batch did";
        const std::uint32_t loop = Slept() - 500;
        EXPECT_GT(loop, 1000u) << "start " << start;
        EXPECT_LE(loop, 1010u) << "start " << start;
        EXPECT_TRUE(files.FileExists(kBatch));  // stays behind
    }
}

}  // namespace
}  // namespace tk::install
