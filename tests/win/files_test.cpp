// Win32Files and the payload extraction against the real file system.
#include <gtest/gtest.h>

#include "install/extraction.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace tk {
namespace {

using platform::ReplaceResult;
using wintest::ReadFile;
using wintest::WriteFile;

std::span<const std::uint8_t> AsBytes(const std::string& text) {
    return {reinterpret_cast<const std::uint8_t*>(text.data()), text.size()};
}

class FilesTest : public ::testing::Test {
protected:
    platform::win32::Win32Files files;
    wintest::ScratchFolder folder;
};

TEST_F(FilesTest, ReplacesAnExistingFileAndLeavesNoTemporaryFile) {
    const std::string target = folder / "app.exe";
    WriteFile(target, "an older, longer version of the program");
    ASSERT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(wintest::FileNames(folder.Path()), std::vector<std::string>{"app.exe"});
}

TEST_F(FilesTest, AFileHeldOpenByAnotherProcessIsLeftUnchanged) {
    const std::string target = folder / "busy.exe";
    WriteFile(target, "running program");
    {
        wintest::HeldFile held(target);
        ASSERT_TRUE(held.Held()) << "the holder did not start";
        EXPECT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::TargetInUse);
    }
    EXPECT_EQ(ReadFile(target), "running program");
    EXPECT_EQ(wintest::FileNames(folder.Path()), std::vector<std::string>{"busy.exe"});
}

TEST_F(FilesTest, AReadOnlyFileOrAFolderIsNeverReplaced) {
    const std::string target = folder / "locked.txt";
    WriteFile(target, "keep me");
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_READONLY);
    EXPECT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::TargetBusy);
    EXPECT_EQ(ReadFile(target), "keep me");

    const std::string subfolder = folder / "_fltw.exe";
    ::CreateDirectoryA(subfolder.c_str(), nullptr);
    EXPECT_EQ(files.ReplaceFileContent(subfolder, AsBytes("new")), ReplaceResult::TargetBusy);
    EXPECT_TRUE(files.DirectoryExists(subfolder));
    EXPECT_EQ(wintest::FileNames(folder.Path()), std::vector<std::string>{"locked.txt"});
}

TEST_F(FilesTest, AMissingFolderFailsTheWrite) {
    EXPECT_EQ(files.ReplaceFileContent(folder / "no\\such\\file.txt", AsBytes("x")),
              ReplaceResult::WriteFailed);
}

TEST_F(FilesTest, MakeDirectoriesCreatesEveryMissingParent) {
    const std::string deep = folder / "a\\b c\\d\\";
    EXPECT_TRUE(files.MakeDirectories(deep));
    EXPECT_TRUE(files.DirectoryExists(folder / "a\\b c\\d"));
    EXPECT_EQ(files.MakeDirectory(folder / "a"), 183u);
    EXPECT_EQ(files.MakeDirectory(folder / "x\\y"), 3u);
}

TEST_F(FilesTest, TheProfileWriteKeepsTheOtherKeys) {
    const std::string settings = folder / "data.ini";
    WriteFile(settings, "[Settings]\r\nLang=turkce.lng\r\nPort=8080\r\n[Other]\r\nKey=1\r\n");
    ASSERT_TRUE(files.WriteProfileValue(settings, "Settings", "Lang", "english.lng"));
    EXPECT_EQ(ReadFile(settings),
              "[Settings]\r\nLang=english.lng\r\nPort=8080\r\n[Other]\r\nKey=1\r\n");
    EXPECT_FALSE(files.WriteProfileValue(folder / "missing\\x.ini", "S", "K", "V"));
}

TEST_F(FilesTest, ExtractionWritesRawResourcesAndMakesSubfolders) {
    platform::win32::Win32Resources resources;
    struct NullView : platform::ProgressView {
        void ProcessMessages() override {}
        void SetProgressMax(int) override {}
        int ProgressMax() override { return 24; }
        void SetProgressPosition(int) override {}
        int ProgressPosition() override { return 0; }
        void SetStatusText(const std::string&) override {}
        void SetCurrentFileText(const std::string&) override {}
        void ShowCompletion(const std::string&, const std::string&, bool) override {}
    } view;
    // Resource 901 of this test program is plain text, 902 a zlib stream of "inflated".
    constexpr install::PayloadEntry catalogue[] = {{901, "sub\\dir\\raw.txt"},
                                                   {902, "+packed.txt"}};
    install::PayloadExtractor extractor(files, resources, view, catalogue);
    const std::string base = folder.Path() + "\\";
    EXPECT_EQ(extractor.ExtractPayload(901, base, base, install::kServerEdition),
              install::ExtractOutcome::Written);
    EXPECT_EQ(ReadFile(folder / "sub\\dir\\raw.txt"), "not a zlib stream\r\n");
    EXPECT_EQ(extractor.ExtractPayload(902, base, base, install::kClientEdition),
              install::ExtractOutcome::Written);
    EXPECT_EQ(ReadFile(folder / "packed.txt"), "inflated");
    EXPECT_EQ(extractor.ExtractPayload(903, base, base, install::kServerEdition),
              install::ExtractOutcome::Failed);
}

}  // namespace
}  // namespace tk
