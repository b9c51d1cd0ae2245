// The provider-control component against the real file system, windows and Winsock.
#include <objbase.h>
#include <winsock2.h>

#include <gtest/gtest.h>

#include <cstring>
#include <string>
#include <vector>

#include "platform/win32/win32_files.h"
#include "platform/win32/win32_hidden_window.h"
#include "platform/win32/win32_protocol_catalogue.h"
#include "platform/win32/win32_shell.h"
#include "platform/win32/win32_system.h"
#include "provider/calmwall.h"
#include "win_test_support.h"

namespace tk {
namespace {

using provider::TVoFirewall;
using wintest::FileNames;
using wintest::ReadFile;
using wintest::WriteFile;

platform::Guid SystemGuid(const wchar_t* text) {
    CLSID id{};
    ::CLSIDFromString(text, &id);
    platform::Guid bytes{};
    std::memcpy(bytes.data(), &id, bytes.size());
    return bytes;
}

TEST(ProviderIdsTest, MatchTheSystemsReadingOfTheirText) {
    EXPECT_EQ(provider::FilterProviderId, SystemGuid(L"{916DD320-0647-4C82-A145-126BDCBCFAA6}"));
    EXPECT_EQ(provider::EarlierProviderIdA, SystemGuid(L"{C694D67B-4B98-4D1F-A819-FDC4F051FC6E}"));
    EXPECT_EQ(provider::EarlierProviderIdB, SystemGuid(L"{90B4116D-EB89-416A-BF90-8ADA0659BDB2}"));
}

// Every entry of the catalogue, in order, as Winsock's own enumeration lists it.
TEST(ProtocolCatalogueTest, ListsTheEntriesWinsockReports) {
    WSADATA data{};
    ASSERT_EQ(::WSAStartup(MAKEWORD(2, 2), &data), 0);
    DWORD size = 0;
    ::WSAEnumProtocolsW(nullptr, nullptr, &size);
    std::vector<WSAPROTOCOL_INFOW> entries(size / sizeof(WSAPROTOCOL_INFOW) + 1);
    const int count = ::WSAEnumProtocolsW(nullptr, entries.data(), &size);
    ::WSACleanup();
    ASSERT_GT(count, 0);
    std::vector<platform::Guid> expected;
    std::vector<std::wstring> names;
    for (int i = 0; i < count; ++i) {
        platform::Guid id;
        std::memcpy(id.data(), &entries[i].ProviderId, id.size());
        expected.push_back(id);
        names.push_back(entries[i].szProtocol);
    }
    platform::win32::Win32ProtocolCatalogue catalogue;
    EXPECT_EQ(catalogue.ProviderIds(), expected) << ::testing::PrintToString(names);
}

// The component hosted by a program copied into a scratch folder, so "plugin\" next to the
// running program is a folder the test prepares.
class PluginFolderTest : public ::testing::Test {
protected:
    void SetUp() override {
        ASSERT_TRUE(::CopyFileA(wintest::TestTool("tk_provider_host").c_str(),
                                (folder / "setup.exe").c_str(), FALSE));
    }
    int RunHost() { return wintest::RunToEnd("\"" + (folder / "setup.exe") + "\""); }
    void MakePluginFolder() { ::CreateDirectoryA(plugin().c_str(), nullptr); }
    std::string plugin() const { return folder / "plugin"; }
    std::string plugin(const std::string& name) const { return plugin() + "\\" + name; }

    wintest::ScratchFolder folder;
};

TEST_F(PluginFolderTest, WithoutAPluginFolderNothingChanges) {
    ASSERT_EQ(RunHost(), 0);
    EXPECT_EQ(FileNames(folder.Path()), std::vector<std::string>{"setup.exe"});
    EXPECT_EQ(::GetFileAttributesA(plugin().c_str()), INVALID_FILE_ATTRIBUTES);
}

TEST_F(PluginFolderTest, OldPluginNamesGoAndTheCurrentLibraryStays) {
    MakePluginFolder();
    WriteFile(plugin("kfilter.dll"), "old generation");
    WriteFile(plugin("_kfilter.dll"), "current library");
    WriteFile(plugin("other.dll"), "not ours");
    ASSERT_EQ(RunHost(), 0);
    EXPECT_EQ(FileNames(plugin()), (std::vector<std::string>{"_kfilter.dll", "other.dll"}));
    EXPECT_EQ(ReadFile(plugin("_kfilter.dll")), "current library");
}

TEST_F(PluginFolderTest, TheMarkerFileReplacesTheLibraryAfterTheOldNamesAreGone) {
    MakePluginFolder();
    for (const auto name : provider::OldPluginNames) {
        WriteFile(plugin(std::string(name)), "old generation");
    }
    WriteFile(plugin("_kfilter.dll"), "an older library, longer than the new one");
    WriteFile(plugin("wlmark.rdk"), "new library");
    ASSERT_EQ(RunHost(), 0);
    EXPECT_EQ(FileNames(plugin()), std::vector<std::string>{"_kfilter.dll"});
    EXPECT_EQ(ReadFile(plugin("_kfilter.dll")), "new library");
}

TEST_F(PluginFolderTest, ALockedLibraryKeepsBothFilesAsTheyWere) {
    MakePluginFolder();
    WriteFile(plugin("_kfilter.dll"), "library in use");
    WriteFile(plugin("wlmark.rdk"), "new library");
    {
        wintest::HeldFile held(plugin("_kfilter.dll"));
        ASSERT_TRUE(held.Held()) << "the holder did not start";
        EXPECT_EQ(RunHost(), 0);
    }
    EXPECT_EQ(FileNames(plugin()), (std::vector<std::string>{"_kfilter.dll", "wlmark.rdk"}));
    EXPECT_EQ(ReadFile(plugin("_kfilter.dll")), "library in use");
    EXPECT_EQ(ReadFile(plugin("wlmark.rdk")), "new library");
}

TEST_F(PluginFolderTest, AnEmptyRegisteredPathStartsNoUninstallHelper) {
    // This catalogue answers every GUID with an empty path; the helper beside the program
    // must not be started to remove a registration that does not exist.
    char temp[MAX_PATH] = {};
    ::GetTempPathA(MAX_PATH, temp);
    const std::string log = std::string(temp) + "tidykiosk-standin.log";
    ::DeleteFileA(log.c_str());
    ASSERT_TRUE(::CopyFileA((wintest::BuildFolder() + "standins\\_fltw.exe").c_str(),
                            (folder / "_fltw.exe").c_str(), FALSE));
    EXPECT_EQ(RunHost(), 0);  // the helper works
    EXPECT_EQ(wintest::RunToEnd("\"" + (folder / "setup.exe") + "\" installed"), 1);
    ::Sleep(500);
    EXPECT_EQ(ReadFile(log), "<missing>");
}

class MessageWindowTest : public ::testing::Test {
protected:
    platform::win32::Win32Files files;
    platform::win32::Win32System system;
    platform::win32::Win32Shell shell;
    platform::win32::Win32ProtocolCatalogue catalogue;
    platform::win32::Win32HiddenWindows windows;
};

TEST_F(MessageWindowTest, AnswersTheSessionEndAndTheFilterNotificationsAndNothingElse) {
    HWND window = nullptr;
    {
        TVoFirewall firewall(0, {files, system, shell, catalogue, windows});
        window = ::FindWindowExA(HWND_MESSAGE, nullptr,
                                 platform::win32::Win32HiddenWindows::kClassName, nullptr);
        ASSERT_NE(window, nullptr);
        // Message-only: no window of the desktop, so none that a user or a broadcast meets.
        EXPECT_NE(::GetAncestor(window, GA_PARENT), ::GetDesktopWindow());
        EXPECT_FALSE(::IsWindowVisible(window));
        EXPECT_EQ(::GetWindowThreadProcessId(window, nullptr), ::GetCurrentThreadId());

        EXPECT_EQ(::SendMessageA(window, WM_QUERYENDSESSION, 0, 0), 1);
        char text[] = "connection";
        COPYDATASTRUCT data{1, sizeof text, text};
        EXPECT_EQ(::SendMessageA(window, WM_COPYDATA, 0, reinterpret_cast<LPARAM>(&data)), 1);
        EXPECT_EQ(::SendMessageA(window, 0x05FF, 12, 34), 1);
        EXPECT_EQ(::SendMessageA(window, WM_USER, 0, 0), 0);
        EXPECT_EQ(::SendMessageA(window, WM_GETTEXTLENGTH, 0, 0), 0);
        // Not passed on to the default procedure: a close request leaves the window open.
        EXPECT_EQ(::SendMessageA(window, WM_CLOSE, 0, 0), 0);
        EXPECT_TRUE(::IsWindow(window));
    }
    EXPECT_FALSE(::IsWindow(window));
}

TEST_F(MessageWindowTest, WinsockIsStartedForTheLifeOfTheComponentOnly) {
    ASSERT_EQ(::WSACleanup(), SOCKET_ERROR) << "Winsock was already started";
    EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
    {
        TVoFirewall firewall(0, {files, system, shell, catalogue, windows});
        const SOCKET probe = ::socket(AF_INET, SOCK_STREAM, 0);
        EXPECT_NE(probe, INVALID_SOCKET);
        ::closesocket(probe);
    }
    EXPECT_EQ(::WSACleanup(), SOCKET_ERROR);
    EXPECT_EQ(::WSAGetLastError(), WSANOTINITIALISED);
    EXPECT_EQ(::socket(AF_INET, SOCK_STREAM, 0), INVALID_SOCKET);
}

}  // namespace
}  // namespace tk
