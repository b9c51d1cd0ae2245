#include "install/shortcuts.h"

#include <gtest/gtest.h>

#include <algorithm>

#include "fakes/fake_files.h"
#include "fakes/fake_shell.h"
#include "install/install_error.h"

namespace tk::install {
namespace {

constexpr const char* kSharedDesktop = "C:\\Users\\Public\\Desktop";
constexpr const char* kUserDesktop = "C:\\Users\\ann\\Desktop";
constexpr const char* kSharedPrograms = "C:\\ProgramData\\Start Menu\\Programs";
constexpr const char* kUserPrograms = "C:\\Users\\ann\\Start Menu\\Programs";

class ShortcutsTest : public ::testing::Test {
protected:
    ShortcutsTest() {
        files.log = &log;
        shell.log = &log;
        shell.specialFolders = {{platform::kCsidlCommonDesktopDirectory, kSharedDesktop},
                                {platform::kCsidlDesktopDirectory, kUserDesktop},
                                {platform::kCsidlCommonPrograms, kSharedPrograms},
                                {platform::kCsidlPrograms, kUserPrograms}};
        for (const char* folder : {kSharedDesktop, kUserDesktop, kSharedPrograms, kUserPrograms}) {
            files.AddDirectoryTree(folder);
        }
    }

    bool Make(const std::string& target = "C:\\X\\fltsrv.exe",
              const std::string& name = "tidyKiosk Filter Server") {
        return maker.MakeShortcuts(target, name);
    }
    // The links below a folder, each as "name=target|working directory".
    std::vector<std::string> LinksIn(const std::string& folder) const {
        std::vector<std::string> links;
        for (const auto& [path, bytes] : files.files) {
            if (path.rfind(folder + "\\", 0) == 0 &&
                path.find('\\', folder.size() + 1) == path.npos) {
                links.push_back(path.substr(folder.size() + 1) + "=" + files.Text(path));
            }
        }
        return links;
    }
    std::vector<std::string> Saves() const {
        std::vector<std::string> saves;
        std::copy_if(log.begin(), log.end(), std::back_inserter(saves),
                     [](const std::string& e) { return e.rfind("Save ", 0) == 0; });
        return saves;
    }

    std::vector<std::string> log;
    fakes::FakeFiles files;
    fakes::FakeShell shell{files};
    ShortcutMaker maker{shell, files};
};

TEST_F(ShortcutsTest, BothEditionsStandSideBySideInTheSharedLocationsOnly) {
    EXPECT_TRUE(Make("C:\\X\\fltsrv.exe", "tidyKiosk Filter Server"));
    EXPECT_TRUE(Make("C:\\X\\fltcln.exe", "tidyKiosk Filter Client"));

    const std::vector<std::string> expected = {
        "tidyKiosk Filter Client.lnk=C:\\X\\fltcln.exe|C:\\X\\",
        "tidyKiosk Filter Server.lnk=C:\\X\\fltsrv.exe|C:\\X\\"};
    EXPECT_EQ(LinksIn(kSharedDesktop), expected);
    EXPECT_EQ(LinksIn(std::string(kSharedPrograms) + "\\tidyKiosk"), expected);
    // The shared saves succeeded, so the user's locations were never touched.
    EXPECT_EQ(Saves().size(), 4u);
    EXPECT_TRUE(LinksIn(kUserDesktop).empty());
    EXPECT_FALSE(files.DirectoryExists(std::string(kUserPrograms) + "\\tidyKiosk"));
}

TEST_F(ShortcutsTest, AUserWithoutSharedWriteAccessGetsBothLinksInTheirOwnLocations) {
    shell.readOnlyFolders = {kSharedDesktop, kSharedPrograms};
    files.uncreatableFolders = {std::string(kSharedPrograms) + "\\tidyKiosk"};  // error 5

    EXPECT_TRUE(Make());
    EXPECT_EQ(LinksIn(kUserDesktop),
              std::vector<std::string>{"tidyKiosk Filter Server.lnk=C:\\X\\fltsrv.exe|C:\\X\\"});
    EXPECT_EQ(LinksIn(std::string(kUserPrograms) + "\\tidyKiosk"),
              std::vector<std::string>{"tidyKiosk Filter Server.lnk=C:\\X\\fltsrv.exe|C:\\X\\"});
    // The start-menu link still tries the shared group first.
    EXPECT_EQ(
        Saves(),
        (std::vector<std::string>{
            "Save C:\\Users\\Public\\Desktop\\tidyKiosk Filter Server.lnk",
            "Save C:\\Users\\ann\\Desktop\\tidyKiosk Filter Server.lnk",
            "Save C:\\ProgramData\\Start Menu\\Programs\\tidyKiosk\\tidyKiosk Filter Server.lnk",
            "Save C:\\Users\\ann\\Start Menu\\Programs\\tidyKiosk\\tidyKiosk Filter Server.lnk"}));
}

TEST_F(ShortcutsTest, OnlyAccessDeniedOnTheSharedGroupLeadsToTheUserGroup) {
    // Any other error (here: path not found) makes no group at all, so the start-menu link
    // is written nowhere and the step reports that it did not complete.
    files.directories.erase(kSharedPrograms);
    EXPECT_FALSE(Make());
    EXPECT_FALSE(files.DirectoryExists(std::string(kUserPrograms) + "\\tidyKiosk"));
    EXPECT_EQ(std::count(log.begin(), log.end(),
                         "MakeDirectory " + std::string(kUserPrograms) + "\\tidyKiosk"),
              0);
    EXPECT_EQ(LinksIn(kSharedDesktop).size(), 1u);

    EXPECT_EQ(maker.CreateProgramFolder("tidyKiosk", platform::kCsidlCommonPrograms).error, 3u);
    const ProgramFolderResult existing =
        maker.CreateProgramFolder("Programs", platform::kCsidlDesktopDirectory);
    EXPECT_TRUE(existing.success);
    EXPECT_EQ(existing.error, 0u);
    EXPECT_EQ(maker.CreateProgramFolder("Programs", platform::kCsidlDesktopDirectory).error, 183u);
    EXPECT_TRUE(maker.CreateProgramFolder("Programs", platform::kCsidlDesktopDirectory).success);
}

TEST_F(ShortcutsTest, AnEarlierLinkIsDeletedBeforeTheNewOneIsSaved) {
    const std::string link = std::string(kSharedDesktop) + "\\tidyKiosk Filter Server.lnk";
    files.files[link] = {'o', 'l', 'd'};
    EXPECT_TRUE(Make());
    const auto removed = std::find(log.begin(), log.end(), "RemoveFile " + link);
    ASSERT_NE(removed, log.end());
    EXPECT_EQ(*std::next(removed), "Save " + link);
    EXPECT_EQ(files.Text(link), "C:\\X\\fltsrv.exe|C:\\X\\");

    // An earlier link that cannot be replaced sends the new one to the user's desktop.
    files.busyFiles.insert(link);
    EXPECT_TRUE(Make("C:\\Y\\fltsrv.exe"));
    EXPECT_EQ(files.Text(link), "C:\\X\\fltsrv.exe|C:\\X\\");
    EXPECT_EQ(LinksIn(kUserDesktop),
              std::vector<std::string>{"tidyKiosk Filter Server.lnk=C:\\Y\\fltsrv.exe|C:\\Y\\"});
}

TEST_F(ShortcutsTest, AnUnknownSpecialFolderIsSkipped) {
    shell.specialFolders.erase(platform::kCsidlCommonDesktopDirectory);
    shell.specialFolders.erase(platform::kCsidlCommonPrograms);
    EXPECT_TRUE(Make());
    EXPECT_EQ(LinksIn(kUserDesktop).size(), 1u);
    EXPECT_EQ(LinksIn(std::string(kUserPrograms) + "\\tidyKiosk").size(), 1u);

    const ProgramFolderResult unknown =
        maker.CreateProgramFolder("tidyKiosk", platform::kCsidlCommonPrograms);
    EXPECT_FALSE(unknown.success);
    EXPECT_EQ(unknown.error, 0u);

    shell.specialFolders.clear();
    log.clear();
    EXPECT_FALSE(Make());
    EXPECT_TRUE(Saves().empty());
}

TEST_F(ShortcutsTest, NoShellLinkObjectStopsTheInstallWithTheError) {
    shell.createError = platform::Status(0x80040154u);  // class not registered
    try {
        Make();
        FAIL() << "expected an InstallError";
    } catch (const InstallError& error) {
        EXPECT_NE(std::string(error.what()).find("80040154"), std::string::npos) << error.what();
    }
    EXPECT_TRUE(files.files.empty());
    EXPECT_TRUE(Saves().empty());
}

}  // namespace
}  // namespace tk::install
