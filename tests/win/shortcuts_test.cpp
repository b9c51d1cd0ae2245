// Shell links made through the real shell under Wine, read back through IShellLinkA.
#include <windows.h>
#include <objidl.h>
#include <shlobj.h>

#include <gtest/gtest.h>

#include "install/shortcuts.h"
#include "platform/win32/win32_files.h"
#include "platform/win32/win32_shell.h"
#include "win_test_support.h"

namespace tk {
namespace {

struct LinkInfo {
    std::string target, folder, arguments, icon;
    int iconIndex = -1;
    bool loaded = false;
};

LinkInfo ReadLink(const std::string& path) {
    LinkInfo info;
    IShellLinkA* link = nullptr;
    if (FAILED(::CoCreateInstance(CLSID_ShellLink, nullptr, CLSCTX_INPROC_SERVER, IID_IShellLinkA,
                                  reinterpret_cast<void**>(&link)))) {
        return info;
    }
    IPersistFile* file = nullptr;
    link->QueryInterface(IID_IPersistFile, reinterpret_cast<void**>(&file));
    wchar_t wide[MAX_PATH] = {};
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide, MAX_PATH);
    if (file != nullptr && SUCCEEDED(file->Load(wide, STGM_READ))) {
        char text[MAX_PATH] = {};
        link->GetPath(text, MAX_PATH, nullptr, SLGP_RAWPATH);
        info.target = text;
        text[0] = '\0';
        link->GetWorkingDirectory(text, MAX_PATH);
        info.folder = text;
        text[0] = '\0';
        link->GetArguments(text, MAX_PATH);
        info.arguments = text;
        text[0] = '\0';
        link->GetIconLocation(text, MAX_PATH, &info.iconIndex);
        info.icon = text;
        info.loaded = true;
    }
    if (file != nullptr) {
        file->Release();
    }
    link->Release();
    return info;
}

std::string SpecialFolder(int csidl) {
    return platform::win32::Win32Shell().SpecialFolderPath(csidl).value_or("<unknown>");
}

class ShortcutsTest : public ::testing::Test {
protected:
    void SetUp() override { ::CoInitialize(nullptr); }
    void TearDown() override {
        for (const std::string& path : made) {
            ::DeleteFileA(path.c_str());
        }
        ::RemoveDirectoryA(group.c_str());
        ::CoUninitialize();
    }

    platform::win32::Win32Shell shell;
    platform::win32::Win32Files files;
    install::ShortcutMaker maker{shell, files};
    wintest::ScratchFolder installFolder;
    const std::string desktop = SpecialFolder(CSIDL_COMMON_DESKTOPDIRECTORY);
    const std::string group = SpecialFolder(CSIDL_COMMON_PROGRAMS) + "\\tidyKiosk";
    std::vector<std::string> made;
};

TEST_F(ShortcutsTest, BothEditionsGetLinksInTheSharedLocations) {
    const std::string folder = installFolder.Path() + "\\";
    wintest::WriteFile(folder + "fltsrv.exe", "MZ");
    ASSERT_TRUE(maker.MakeShortcuts(folder + "fltsrv.exe", "tidyKiosk Filter Server"));
    ASSERT_TRUE(maker.MakeShortcuts(folder + "fltcln.exe", "tidyKiosk Filter Client"));
    for (const char* name : {"tidyKiosk Filter Server.lnk", "tidyKiosk Filter Client.lnk"}) {
        for (const std::string& place : {desktop, group}) {
            made.push_back(place + "\\" + name);
        }
    }
    const std::vector<std::string> names = {"tidyKiosk Filter Client.lnk",
                                            "tidyKiosk Filter Server.lnk"};
    EXPECT_EQ(wintest::FileNames(group), names);
    for (const std::string& place : {desktop, group}) {
        const LinkInfo server = ReadLink(place + "\\tidyKiosk Filter Server.lnk");
        ASSERT_TRUE(server.loaded) << place;
        EXPECT_EQ(server.target, folder + "fltsrv.exe");
        EXPECT_EQ(server.folder, folder);
        EXPECT_EQ(server.arguments, "");
        EXPECT_EQ(server.icon, "");
        EXPECT_EQ(server.iconIndex, 0);
        // A target that does not exist yet is kept as given.
        const LinkInfo client = ReadLink(place + "\\tidyKiosk Filter Client.lnk");
        EXPECT_EQ(client.target, folder + "fltcln.exe");
        EXPECT_EQ(client.folder, folder);
    }
}

TEST_F(ShortcutsTest, AnEarlierFileOfTheSameNameIsReplaced) {
    const std::string path = desktop + "\\tidyKiosk Filter Server.lnk";
    made = {path, group + "\\tidyKiosk Filter Server.lnk"};
    wintest::WriteFile(path, "not a shell link");
    const std::string folder = installFolder.Path() + "\\";
    ASSERT_TRUE(maker.MakeShortcuts(folder + "fltsrv.exe", "tidyKiosk Filter Server"));
    EXPECT_EQ(ReadLink(path).target, folder + "fltsrv.exe");
}

TEST_F(ShortcutsTest, TheProgramGroupIsMadeOnceAndThenFound) {
    const install::ProgramFolderResult first =
        maker.CreateProgramFolder("tidyKiosk", CSIDL_COMMON_PROGRAMS);
    EXPECT_TRUE(first.success);
    EXPECT_EQ(first.error, 0u);
    const install::ProgramFolderResult again =
        maker.CreateProgramFolder("tidyKiosk", CSIDL_COMMON_PROGRAMS);
    EXPECT_TRUE(again.success);
    EXPECT_EQ(again.error, 183u);
    EXPECT_TRUE(files.DirectoryExists(group));
}

}  // namespace
}  // namespace tk
