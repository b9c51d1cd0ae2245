#include "install/registry_entries.h"

#include <gtest/gtest.h>

#include "fakes/fake_platform.h"
#include "fakes/fake_registry.h"

namespace tk::install {
namespace {

using platform::RegistryRoot;
using Strings = std::vector<std::string>;

constexpr const char* kServerVendor = "Software\\VornSoft\\FltLogServer\\";
constexpr const char* kClientVendor = "Software\\VornSoft\\FltLogClient\\";
constexpr const char* kServerUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tidyKiosk Filter Server";
constexpr const char* kClientUninstall =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\tidyKiosk Filter Client";

class RegistryEntriesTest : public ::testing::Test {
protected:
    RegistryEntriesTest() {
        registry.AddKey(RegistryRoot::CurrentUser, std::string(kRunKey));
        registry.AddKey(RegistryRoot::LocalMachine, std::string(kRunKey));
    }

    bool Write(EditionCode edition, const std::string& folder) {
        const bool complete = WriteRegistryEntries(registry, system, edition, folder);
        EXPECT_EQ(registry.mostOpenKeys, 1) << "only one key may be open at a time";
        EXPECT_EQ(registry.openKeys, 0) << "every key is closed";
        return complete;
    }
    std::string Text(RegistryRoot root, const std::string& key, const std::string& name) const {
        return registry.Text(root, key, name);
    }

    fakes::FakeRegistry registry;
    fakes::FakeSystem system;
};

// A key is closed once, by its last owner; an owner given another key closes the one it held.
TEST(RegistryKeyTest, IsClosedOnceByItsLastOwner) {
    fakes::FakeRegistry registry;
    {
        platform::RegistryKey kept;
        {
            platform::OpenedKey first = registry.CreateKey(RegistryRoot::CurrentUser, "A");
            kept = std::move(first.key);
        }
        EXPECT_EQ(registry.openKeys, 1);
        kept = registry.CreateKey(RegistryRoot::CurrentUser, "B").key;
        const platform::RegistryKey last(std::move(kept));
        EXPECT_FALSE(kept);
        EXPECT_EQ(registry.log, (Strings{"Create HKCU A", "Create HKCU B", "Close HKCU A"}));
    }
    EXPECT_EQ(registry.log.back(), "Close HKCU B");
    EXPECT_EQ(registry.log.size(), 4u);
}

TEST_F(RegistryEntriesTest, ServerWritesEveryEntryInOrder) {
    registry.SetText(RegistryRoot::CurrentUser, std::string(kRunKey), "fltsrv", "old start-up");
    ASSERT_TRUE(Write(kServerEdition, "C:\\X\\"));
    const std::string hkcuRun = "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    const std::string hklmRun = "HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    const std::string uninstall = std::string("HKLM ") + kServerUninstall;
    EXPECT_EQ(
        registry.log,
        (Strings{
            "Create HKCU Software\\VornSoft\\FltLogServer\\",
            "Set HKCU Software\\VornSoft\\FltLogServer\\ Path REG_SZ \"C:\\X\\\"",
            "Set HKCU Software\\VornSoft\\FltLogServer\\ Version REG_SZ \"3.3.33 en\"",
            "Close HKCU Software\\VornSoft\\FltLogServer\\",
            "Open " + hkcuRun,
            "Query " + hkcuRun + " fltsrv",
            "Delete " + hkcuRun + " fltsrv",
            "Close " + hkcuRun,
            "Create HKLM Software\\VornSoft\\FltLogServer\\",
            "Set HKLM Software\\VornSoft\\FltLogServer\\ Path REG_SZ \"C:\\X\\\"",
            "Set HKLM Software\\VornSoft\\FltLogServer\\ Version REG_SZ \"3.3.33 en\"",
            "Close HKLM Software\\VornSoft\\FltLogServer\\",
            "Open " + hklmRun,
            "Set " + hklmRun + " fltsrv REG_SZ \"C:\\X\\fltsrv.exe -h\"",
            "Close " + hklmRun,
            "Create " + uninstall,
            "Set " + uninstall + " DisplayName REG_SZ \"tidyKiosk Firewall\"",
            "Set " + uninstall + " UninstallString REG_SZ \"C:\\X\\Uninstall.exe -uninstall -s\"",
            "Set " + uninstall + " Publisher REG_SZ \"Vorn Software\"",
            "Set " + uninstall + " DisplayIcon REG_SZ \"C:\\X\\fltsrv.exe,0\"",
            "Set " + uninstall + " DisplayVersion REG_SZ \"3.3\"",
            "Set " + uninstall + " URLInfoAbout REG_SZ \"http://www.tidykiosk.example/\"",
            "Set " + uninstall + " URLUpdateInfo REG_SZ \"http://www.tidykiosk.example/\"",
            "Set " + uninstall + " InstallDate REG_SZ \"20261207\"",
            "Set " + uninstall + " InstallLocation REG_SZ \"C:\\X\\\"",
            "Set " + uninstall + " InstallSource REG_SZ \"D:\\Setup\\\"",
            "Set " + uninstall +
                " Comments REG_SZ \"Web filter for internet cafes: the cashier computer\"",
            "Set " + uninstall + " RegOwner REG_SZ \"Vorn Software\"",
            "Set " + uninstall + " RegCompany REG_SZ \"Vorn Software\"",
            "Set " + uninstall + " Version REG_DWORD 03 00 00 00",
            "Set " + uninstall + " VersionMajor REG_DWORD 03 00 00 00",
            "Set " + uninstall + " VersionMinor REG_DWORD 03 00 00 00",
            "Set " + uninstall + " NoModify REG_DWORD 01 00 00 00",
            "Set " + uninstall + " NoRepair REG_DWORD 01 00 00 00",
            "Set " + uninstall + " EstimatedSize REG_DWORD 92 3b 00 00",
            "Close " + uninstall,
        }));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, std::string(kRunKey), "fltsrv"), "<missing>");
}

TEST_F(RegistryEntriesTest, ClientPathsWithSpacesStayUnquotedAndOtherStartUpValuesStay) {
    registry.SetText(RegistryRoot::CurrentUser, std::string(kRunKey), "fltsrv", "server's");
    system.modulePath = "E:\\Cafe Setup\\v3\\tidykiosk_filter_v3.exe";
    system.today = {2027, 1, 5};
    const std::string folder = "C:\\Program Files (x86)\\Filter Client\\";
    ASSERT_TRUE(Write(kClientEdition, folder));

    const std::string hkcuRun = "HKCU SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    const std::string hklmRun = "HKLM SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
    const std::string uninstall = std::string("HKLM ") + kClientUninstall;
    const Strings expectedStart = {
        "Create HKCU Software\\VornSoft\\FltLogClient\\",
        "Set HKCU Software\\VornSoft\\FltLogClient\\ Path REG_SZ \"" + folder + "\"",
        "Set HKCU Software\\VornSoft\\FltLogClient\\ Version REG_SZ \"3.3.33 en\"",
        "Close HKCU Software\\VornSoft\\FltLogClient\\",
        "Open " + hkcuRun,
        "Query " + hkcuRun + " fltcl",  // not there: nothing is deleted
        "Close " + hkcuRun,
        "Create HKLM Software\\VornSoft\\FltLogClient\\",
        "Set HKLM Software\\VornSoft\\FltLogClient\\ Path REG_SZ \"" + folder + "\"",
        "Set HKLM Software\\VornSoft\\FltLogClient\\ Version REG_SZ \"3.3.33 en\"",
        "Close HKLM Software\\VornSoft\\FltLogClient\\",
        "Open " + hklmRun,
        "Set " + hklmRun + " fltcl REG_SZ \"" + folder + "fltcln.exe\"",
        "Close " + hklmRun,
        "Create " + uninstall,
        "Set " + uninstall + " DisplayName REG_SZ \"tidyKiosk Firewall\"",
        "Set " + uninstall + " UninstallString REG_SZ \"" + folder +
            "Uninstall.exe -uninstall -c\"",
        "Set " + uninstall + " Publisher REG_SZ \"Vorn Software\"",
        "Set " + uninstall + " DisplayIcon REG_SZ \"" + folder + "fltcln.exe,0\"",
        "Set " + uninstall + " DisplayVersion REG_SZ \"3.3\"",
        "Set " + uninstall + " URLInfoAbout REG_SZ \"http://www.tidykiosk.example/\"",
        "Set " + uninstall + " URLUpdateInfo REG_SZ \"http://www.tidykiosk.example/\"",
        "Set " + uninstall + " InstallDate REG_SZ \"20270105\"",
        "Set " + uninstall + " InstallLocation REG_SZ \"" + folder + "\"",
        "Set " + uninstall + " InstallSource REG_SZ \"E:\\Cafe Setup\\v3\\\"",
        "Set " + uninstall +
            " Comments REG_SZ \"Web filter for internet cafes: the customer computers\"",
    };
    ASSERT_EQ(registry.log.size(), expectedStart.size() + 9);  // 8 more values and the close
    EXPECT_EQ(Strings(registry.log.begin(), registry.log.begin() + expectedStart.size()),
              expectedStart);
    EXPECT_EQ(registry.log.back(), "Close " + uninstall);
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, std::string(kRunKey), "fltsrv"), "server's");
}

TEST_F(RegistryEntriesTest, InstallingAgainOverwritesInPlaceAndKeepsForeignValues) {
    ASSERT_TRUE(Write(kServerEdition, "C:\\Old\\"));
    registry.SetText(RegistryRoot::LocalMachine, kServerUninstall, "HelpLink", "kept");
    system.today = {2026, 12, 8};
    ASSERT_TRUE(Write(kServerEdition, "C:\\New\\"));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kServerVendor, "Path"), "C:\\New\\");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, kServerVendor, "Path"), "C:\\New\\");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, std::string(kRunKey), "fltsrv"),
              "C:\\New\\fltsrv.exe -h");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, kServerUninstall, "InstallDate"), "20261208");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, kServerUninstall, "HelpLink"), "kept");
    EXPECT_EQ(registry.Values(RegistryRoot::LocalMachine, kServerUninstall).size(), 20u);
}

TEST_F(RegistryEntriesTest, WithoutMachineAccessTheUserStartUpValueIsStillRemoved) {
    registry.SetText(RegistryRoot::CurrentUser, std::string(kRunKey), "fltcl", "old");
    registry.refusedRoots.insert(RegistryRoot::LocalMachine);
    EXPECT_FALSE(Write(kClientEdition, "C:\\X\\"));
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, std::string(kRunKey), "fltcl"), "<missing>");
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kClientVendor, "Path"), "C:\\X\\");
    EXPECT_EQ(Text(RegistryRoot::CurrentUser, kClientVendor, "Version"), "3.3.33 en");
    // Each machine key was tried once, and nothing was written there.
    EXPECT_EQ(std::count_if(registry.log.begin(), registry.log.end(),
                            [](const std::string& e) { return e.rfind("Set HKLM", 0) == 0; }),
              0);
    EXPECT_EQ(std::count_if(registry.log.begin(), registry.log.end(),
                            [](const std::string& e) {
                                return e.rfind("Create HKLM", 0) == 0 ||
                                       e.rfind("Open HKLM", 0) == 0;
                            }),
              3);
}

TEST_F(RegistryEntriesTest, MissingRunKeysAreNeverCreated) {
    fakes::FakeRegistry bare;  // neither Run key exists
    const bool complete = WriteRegistryEntries(bare, system, kServerEdition, "C:\\X\\");
    EXPECT_FALSE(complete) << "no start-up value could be written";
    EXPECT_FALSE(bare.HasKey(RegistryRoot::CurrentUser, std::string(kRunKey)));
    EXPECT_FALSE(bare.HasKey(RegistryRoot::LocalMachine, std::string(kRunKey)));
    EXPECT_EQ(bare.Values(RegistryRoot::LocalMachine, kServerUninstall).size(), 19u);
    EXPECT_EQ(bare.Text(RegistryRoot::LocalMachine, kServerVendor, "Path"), "C:\\X\\");

    // A user without a Run key has nothing to remove: that alone is no shortfall.
    fakes::FakeRegistry noUserRun;
    noUserRun.AddKey(RegistryRoot::LocalMachine, std::string(kRunKey));
    EXPECT_TRUE(WriteRegistryEntries(noUserRun, system, kServerEdition, "C:\\X\\"));
}

TEST_F(RegistryEntriesTest, AFailedWriteEndsTheRegistrationAndKeepsEarlierValues) {
    registry.failingWrite =
        fakes::FakeRegistry::Name(RegistryRoot::LocalMachine, kServerVendor) + "|Version";
    EXPECT_FALSE(Write(kServerEdition, "C:\\X\\"));
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, kServerVendor, "Path"), "C:\\X\\");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, kServerVendor, "Version"), "<missing>");
    EXPECT_EQ(registry.log.back(), "Close HKLM Software\\VornSoft\\FltLogServer\\");
    EXPECT_EQ(Text(RegistryRoot::LocalMachine, std::string(kRunKey), "fltsrv"), "<missing>");
    EXPECT_FALSE(registry.HasKey(RegistryRoot::LocalMachine, kServerUninstall));

    fakes::FakeRegistry second;
    second.AddKey(RegistryRoot::LocalMachine, std::string(kRunKey));
    second.failingWrite =
        fakes::FakeRegistry::Name(RegistryRoot::LocalMachine, kClientUninstall) + "|InstallDate";
    EXPECT_FALSE(WriteRegistryEntries(second, system, kClientEdition, "C:\\X\\"));
    const auto written = second.Values(RegistryRoot::LocalMachine, kClientUninstall);
    EXPECT_EQ(written.size(), 7u);
    EXPECT_EQ(written.count("URLUpdateInfo"), 1u);
    EXPECT_EQ(written.count("InstallLocation"), 0u);
    EXPECT_EQ(second.openKeys, 0);
}

TEST(InstallDateTest, FourDigitYearAndTwoDigitMonthAndDay) {
    EXPECT_EQ(InstallDateOf({2026, 12, 7}), "20261207");
    EXPECT_EQ(InstallDateOf({2031, 1, 31}), "20310131");
}

}  // namespace
}  // namespace tk::install
