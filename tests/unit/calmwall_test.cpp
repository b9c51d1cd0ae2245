#include "provider/calmwall.h"

#include <gtest/gtest.h>

#include "fakes/fake_files.h"
#include "fakes/fake_platform.h"
#include "fakes/fake_protocol_catalogue.h"
#include "fakes/fake_shell.h"
#include "test_support.h"

namespace tk::provider {
namespace {

using testing::Bytes;
using Launch = fakes::FakeShell::Launch;

constexpr std::uintptr_t kOwner = 0x2A0C4;
const std::string kOwnerText = "172228";

// The running program lies in D:\Setup\; the install folder is C:\Some Folder\.
class ProviderTest : public ::testing::Test {
protected:
    ProviderTest() {
        system.modulePath = "D:\\Setup\\tidykiosk_filter_v3.exe";
        files.AddDirectoryTree("D:\\Setup\\plugin");
        files.AddDirectoryTree("C:\\Some Folder\\plugin");
    }

    void Put(const std::string& path, const std::string& shortPath = "",
             const std::string& text = "bytes") {
        files.files[path] = Bytes(text);
        if (!shortPath.empty()) {
            files.shortNames[path] = shortPath;
        }
    }
    // The helper beside the running program, and the library in its plug-in folder.
    void PutAppFolderHelperAndLibrary() {
        Put("D:\\Setup\\_fltw.exe", "D:\\SETUP\\_FLTW~1.EXE");
        Put("D:\\Setup\\plugin\\_kfilter.dll", "D:\\SETUP\\PLUGIN\\_KFILT~1.DLL");
    }
    void Register(const std::string& path) {
        catalogue.entries.push_back(FilterProviderId);
        catalogue.paths[FilterProviderId] = path;
    }
    void StartLog() {
        files.log = &log;
        catalogue.log = &log;
        shell.log = &log;
        windows.log = &log;
    }
    TVoFirewall Make() { return TVoFirewall(kOwner, {files, system, shell, catalogue, windows}); }

    fakes::FakeFiles files;
    fakes::FakeSystem system;
    fakes::FakeShell shell;
    fakes::FakeProtocolCatalogue catalogue;
    fakes::FakeHiddenWindows windows;
    std::vector<std::string> log;
};

// A start with no working folder, shown normally; the wizard's unless `withoutUi`.
Launch Started(const std::string& verb, const std::string& file, const std::string& parameters,
               bool withoutUi = false) {
    return {verb, file, parameters, "", 1, withoutUi};
}

platform::Guid WithByte(platform::Guid id, std::size_t at, std::uint8_t value) {
    id[at] = value;
    return id;
}

TEST_F(ProviderTest, ConstructionRunsItsStepsInOrderAndDestructionUndoesTheWindowAndWinsock) {
    catalogue.entries = {EarlierProviderIdB, EarlierProviderIdA, EarlierProviderIdA};
    for (const auto name : OldPluginNames) {
        Put("D:\\Setup\\plugin\\" + std::string(name));
    }
    Put("D:\\Setup\\plugin\\wlmark.rdk", "", "new library");
    Put("D:\\Setup\\plugin\\_kfilter.dll", "", "old library");
    StartLog();
    {
        TVoFirewall firewall(kOwner, {files, system, shell, catalogue, windows});
        log.push_back("-- constructed");
        EXPECT_FALSE(firewall.IsInstalled());
        firewall.RunInstallHelper("", "", true);
    }
    const std::vector<std::string> expected = {
        "Enumerate",
        "Deinstall 7B",
        "Enumerate",
        "Deinstall 6D",
        "RemoveFile D:\\Setup\\plugin\\_tidywall.dll",
        "RemoveFile D:\\Setup\\plugin\\tidywall.dll",
        "RemoveFile D:\\Setup\\plugin\\kfirewall.dll",
        "RemoveFile D:\\Setup\\plugin\\_kfirewall.dll",
        "RemoveFile D:\\Setup\\plugin\\kfilter.dll",
        "CreateWindow",
        "CopyFile D:\\Setup\\plugin\\wlmark.rdk -> D:\\Setup\\plugin\\_kfilter.dll",
        "RemoveFile D:\\Setup\\plugin\\wlmark.rdk",
        "Startup 257",
        "-- constructed",
        "ProviderPath",
        "Execute ||" + kOwnerText + " D:\\Setup\\plugin\\_kfilter.dll IY",
        "DestroyWindow",
        "Cleanup",
    };
    EXPECT_EQ(log, expected);
    EXPECT_TRUE(catalogue.entries.empty());
    EXPECT_EQ(files.Text("D:\\Setup\\plugin\\_kfilter.dll"), "new library");
    EXPECT_EQ(files.files.size(), 1u);
    EXPECT_EQ(TVoFirewall::AppFolder(), "D:\\Setup\\");  // outlives the component
}

TEST_F(ProviderTest, PropertiesStartEmptyAndSettersOnlyStore) {
    auto firewall = Make();
    EXPECT_EQ(firewall.PluginPath(), "D:\\Setup\\plugin\\_kfilter.dll");
    EXPECT_EQ(firewall.OwnerWindow(), kOwner);
    EXPECT_EQ(firewall.TCPBytesRecieved() + firewall.TCPBytesSent() + firewall.UDPBytesRecieved() +
                  firewall.UDPBytesSent() + firewall.DownloadLimit() + firewall.UploadLimit(),
              0u);
    EXPECT_EQ(firewall.BanlistFile() + firewall.WebFilterFile() + firewall.RuleFile() +
                  firewall.TrustListFile(),
              "");
    EXPECT_FALSE(firewall.OnAccept().Assigned() || firewall.OnConnecting().Assigned() ||
                 firewall.OnRead().Assigned() || firewall.OnWrite().Assigned() ||
                 firewall.OnBeforeWrite().Assigned());

    firewall.SetDownloadLimit(7);
    firewall.SetRuleFile("rules.txt");
    EXPECT_EQ(firewall.DownloadLimit(), 7u);
    EXPECT_EQ(firewall.UploadLimit(), 0u);
    EXPECT_EQ(firewall.RuleFile(), "rules.txt");

    // An event is an object and one of its members.
    struct Listener {
        int calls = 0;
        void Accept(TVoFirewall&, TFirewallData&, bool& accept, int& port) {
            ++calls;
            accept = false;
            port = 8080;
        }
    } listener;
    firewall.SetOnAccept(TEFConnect(listener, &Listener::Accept));
    TFirewallData data;
    bool accept = true;
    int port = 80;
    firewall.OnAccept()(firewall, data, accept, port);
    EXPECT_EQ(listener.calls, 1);
    EXPECT_FALSE(accept);
    EXPECT_EQ(port, 8080);
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ProviderTest, EarlierProvidersAreRemovedByExactGuidEvenWhenTheCurrentOneIsInstalled) {
    Put("E:\\Filter\\_kfilter.dll");
    Register("E:\\Filter\\_kfilter.dll");
    const platform::Guid nearA = WithByte(EarlierProviderIdA, 15, EarlierProviderIdA[15] ^ 1);
    const platform::Guid nearB = WithByte(EarlierProviderIdB, 0, EarlierProviderIdB[0] ^ 0x80);
    catalogue.entries.insert(catalogue.entries.end(),
                             {EarlierProviderIdA, nearA, nearB, EarlierProviderIdB});
    StartLog();
    auto firewall = Make();
    EXPECT_EQ(std::vector<std::string>(log.begin(), log.begin() + 4),
              (std::vector<std::string>{"Enumerate", "Deinstall 7B", "Enumerate", "Deinstall 6D"}));
    EXPECT_EQ(catalogue.entries, (std::vector<platform::Guid>{FilterProviderId, nearA, nearB}));
    EXPECT_TRUE(firewall.IsInstalled());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ProviderTest, AFailedEnumerationRemovesNothing) {
    catalogue.entries = {EarlierProviderIdA, EarlierProviderIdB};
    catalogue.enumerationFails = true;
    auto firewall = Make();
    EXPECT_EQ(catalogue.entries.size(), 2u);
}

TEST_F(ProviderTest, RegisteredLibraryIsRecognisedByItsFileNameInAnyFolderAndCase) {
    PutAppFolderHelperAndLibrary();
    Put("E:\\Other\\Plugin\\_KFilter.DLL");
    Register("E:\\Other\\Plugin\\_KFilter.DLL");
    auto firewall = Make();
    EXPECT_EQ(firewall.ProviderPath(), "E:\\Other\\Plugin\\_KFilter.DLL");
    EXPECT_TRUE(firewall.IsInstalled());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ProviderTest, AnEmptyCatalogueOrAnEmptyRegisteredPathIsNotInstalledAndStartsNoUninstall) {
    PutAppFolderHelperAndLibrary();
    {
        auto firewall = Make();
        EXPECT_FALSE(firewall.IsInstalled());
    }
    // Some catalogues answer every GUID with success and an empty path.
    Register("");
    auto firewall = Make();
    EXPECT_EQ(firewall.ProviderPath(), "");
    EXPECT_FALSE(firewall.IsInstalled());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ProviderTest, AStaleOrForeignRegistrationStartsTheUninstallHelperOnce) {
    const std::string uninstall = kOwnerText + " D:\\SETUP\\PLUGIN\\_KFILT~1.DLL U";
    struct Case {
        const char* what;
        std::string registered;
        std::string existing;  // a file present on disk, or empty
    };
    const Case cases[] = {
        {"library missing", "C:\\Old\\plugin\\_kfilter.dll", ""},
        {"another library", "C:\\Old\\plugin\\kfilter2.dll", "C:\\Old\\plugin\\kfilter2.dll"},
        // Environment references are not expanded, even when the expanded file exists.
        {"unexpanded path", "%ProgramFiles%\\F\\_kfilter.dll",
         "C:\\Program Files\\F\\_kfilter.dll"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.what);
        files.files.clear();
        catalogue.entries.clear();
        shell.launches.clear();
        PutAppFolderHelperAndLibrary();
        if (!c.existing.empty()) {
            Put(c.existing);
        }
        Register(c.registered);
        auto firewall = Make();
        EXPECT_FALSE(firewall.IsInstalled());
        EXPECT_EQ(shell.launches,
                  std::vector<Launch>{Started("", "D:\\SETUP\\_FLTW~1.EXE", uninstall)});
    }
}

TEST_F(ProviderTest, WithoutTheHelperBesideTheProgramAStaleRegistrationStartsNothing) {
    Register("C:\\Old\\plugin\\_kfilter.dll");
    Put("D:\\Setup\\plugin\\_kfilter.dll");
    auto firewall = Make();
    EXPECT_FALSE(firewall.IsInstalled());
    EXPECT_TRUE(shell.launches.empty());
}

TEST_F(ProviderTest, InstallHelperGetsOwnerShortLibraryPathAndOperation) {
    Put("C:\\Some Folder\\_fltw.exe", "C:\\SOMEFO~1\\_fltw.exe");
    Put("C:\\Some Folder\\plugin\\_kfilter.dll", "C:\\SOMEFO~1\\plugin\\_KFILT~1.DLL");
    auto firewall = Make();
    EXPECT_TRUE(firewall.RunInstallHelper("C:\\Some Folder\\_fltw.exe",
                                          "C:\\Some Folder\\plugin\\_kfilter.dll", true));
    EXPECT_EQ(firewall.PluginPath(), "C:\\Some Folder\\plugin\\_kfilter.dll");
    firewall.RunInstallHelper("C:\\Some Folder\\_fltw.exe", "", false);  // keeps PluginPath

    // A missing library leaves two blanks; a missing helper an empty file name; a short
    // form the system cannot give leaves the path as it is.
    files.files.erase("C:\\Some Folder\\plugin\\_kfilter.dll");
    firewall.RunInstallHelper("C:\\Some Folder\\_fltw.exe", "", true);
    files.files.erase("C:\\Some Folder\\_fltw.exe");
    firewall.RunInstallHelper("C:\\Some Folder\\_fltw.exe", "", true);
    Put("D:\\Setup\\_fltw.exe");
    firewall.RunInstallHelper("", "", true);

    EXPECT_EQ(shell.launches,
              (std::vector<Launch>{Started("", "C:\\SOMEFO~1\\_fltw.exe",
                                           kOwnerText + " C:\\SOMEFO~1\\plugin\\_KFILT~1.DLL IY"),
                                   Started("", "C:\\SOMEFO~1\\_fltw.exe",
                                           kOwnerText + " C:\\SOMEFO~1\\plugin\\_KFILT~1.DLL I"),
                                   Started("", "C:\\SOMEFO~1\\_fltw.exe", kOwnerText + "  IY"),
                                   Started("", "", kOwnerText + "  IY"),
                                   Started("", "D:\\Setup\\_fltw.exe", kOwnerText + "  IY")}));
}

TEST_F(ProviderTest, LaunchRetriesWithRunasOnlyWhenAccessIsDenied) {
    auto firewall = Make();
    shell.results = {5, 42};
    EXPECT_TRUE(firewall.LaunchHelper("h.exe", "p"));
    EXPECT_EQ(shell.launches,
              (std::vector<Launch>{Started("", "h.exe", "p"), Started("runas", "h.exe", "p")}));
    shell.launches.clear();
    shell.results = {5, 5};  // elevation refused: no third attempt
    EXPECT_FALSE(firewall.LaunchHelper("h.exe", "p"));
    EXPECT_EQ(shell.launches.size(), 2u);
    for (const std::intptr_t result : {0, 2, 11, 31, 32, 33}) {
        SCOPED_TRACE(result);
        shell.launches.clear();
        shell.results = {result};
        EXPECT_EQ(firewall.LaunchHelper("h.exe", "p"), result > 32);
        EXPECT_EQ(shell.launches.size(), 1u);
    }
}

TEST_F(ProviderTest, ASilentRunStartsEitherHelperWithoutUiAndTakesAccessDeniedAsTheAnswer) {
    PutAppFolderHelperAndLibrary();
    Register("C:\\Elsewhere\\other.dll");  // foreign: IsInstalled starts the uninstall helper
    auto firewall = Make();
    firewall.SetSilent(true);
    shell.results = {5, 5, 42};
    EXPECT_FALSE(firewall.IsInstalled());
    EXPECT_FALSE(firewall.RunInstallHelper("", "", true));
    const std::string library = kOwnerText + " D:\\SETUP\\PLUGIN\\_KFILT~1.DLL ";
    EXPECT_EQ(shell.launches,
              (std::vector<Launch>{Started("", "D:\\SETUP\\_FLTW~1.EXE", library + "U", true),
                                   Started("", "D:\\SETUP\\_FLTW~1.EXE", library + "IY", true)}));
}

TEST_F(ProviderTest, HiddenWindowAcceptsTheSessionEndAndTheFilterNotificationsOnly) {
    std::uintptr_t handle = 0;
    {
        auto firewall = Make();
        ASSERT_EQ(windows.open.size(), 1u);
        handle = windows.open.begin()->first;
        EXPECT_EQ(windows.Send(handle, 0x0011), 1);             // WM_QUERYENDSESSION
        EXPECT_EQ(windows.Send(handle, 0x004A, 1, 0x1234), 1);  // WM_COPYDATA, unread
        EXPECT_EQ(windows.Send(handle, 0x05FF, 7, 9), 1);
        for (const std::uint32_t other : {0x0002u, 0x0010u, 0x0016u, 0x0400u, 0x05FEu, 0x0600u}) {
            EXPECT_EQ(windows.Send(handle, other), 0) << other;
        }
    }
    EXPECT_TRUE(windows.open.empty());
}

TEST_F(ProviderTest, AWindowThatCannotBeMadeLeavesTheRestOfTheComponentWorking) {
    windows.creationFails = true;
    {
        auto firewall = Make();
        EXPECT_FALSE(firewall.IsInstalled());
    }
    EXPECT_EQ(catalogue.startups, 1);
    EXPECT_EQ(catalogue.cleanups, 1);
}

}  // namespace
}  // namespace tk::provider
