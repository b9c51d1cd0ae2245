// Win32Registry and the registration against the real registry of a 64-bit prefix, where
// this 32-bit program's HKLM\Software lands under Wow6432Node as on 64-bit Windows.
#include <gtest/gtest.h>

#include "install/registry_entries.h"
#include "platform/win32/win32_registry.h"
#include "platform/win32/win32_system.h"
#include "win_test_support.h"

namespace tk {
namespace {

using platform::RegistryRoot;

struct ReadValue {
    LONG status = ERROR_FILE_NOT_FOUND;
    DWORD type = REG_NONE;
    std::string bytes;
};

ReadValue Read(HKEY root, const std::string& path, const std::string& name, REGSAM view = 0) {
    ReadValue value;
    HKEY key = nullptr;
    value.status = ::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key);
    if (value.status != ERROR_SUCCESS) {
        return value;
    }
    char data[512] = {};
    DWORD size = sizeof data;
    value.status = ::RegQueryValueExA(key, name.c_str(), nullptr, &value.type,
                                      reinterpret_cast<BYTE*>(data), &size);
    value.bytes.assign(data, value.status == ERROR_SUCCESS ? size : 0);
    ::RegCloseKey(key);
    return value;
}

bool KeyExists(HKEY root, const std::string& path, REGSAM view = 0) {
    HKEY key = nullptr;
    if (::RegOpenKeyExA(root, path.c_str(), 0, KEY_READ | view, &key) != ERROR_SUCCESS) {
        return false;
    }
    ::RegCloseKey(key);
    return true;
}

// Runs the key-access tool and waits for it.
void SetKeyAccess(const char* command, const char* root, const std::string& path) {
    std::string line = "\"" + wintest::TestTool("tk_key_access") + "\" " + command + " " + root +
                       " \"" + path + "\"";
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    PROCESS_INFORMATION process{};
    ASSERT_TRUE(::CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr, nullptr,
                                 &startup, &process));
    ::WaitForSingleObject(process.hProcess, 20000);
    DWORD exitCode = 1;
    ::GetExitCodeProcess(process.hProcess, &exitCode);
    ::CloseHandle(process.hThread);
    ::CloseHandle(process.hProcess);
    ASSERT_EQ(exitCode, 0u) << line;
}

class RegistryTest : public ::testing::Test {
protected:
    RegistryTest() {
        static int counter = 0;
        path_ = "Software\\TkRegistryTest\\" + std::to_string(::GetCurrentProcessId()) + "-" +
                std::to_string(++counter);
    }
    ~RegistryTest() override {
        ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\TkRegistryTest");
        ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\TkRegistryTest");
    }

    platform::win32::Win32Registry registry;
    std::string path_;
};

TEST_F(RegistryTest, StringsAndDwordsRoundTripUnderTheRedirectedMachineKey) {
    const std::string folder = "C:\\Program Files (x86)\\Filter \xC7\xF6z\\";
    {
        const platform::OpenedKey opened =
            registry.CreateKey(RegistryRoot::LocalMachine, path_ + "\\");
        ASSERT_EQ(opened.status, platform::Status());
        ASSERT_TRUE(opened.key);
        EXPECT_EQ(registry.SetString(opened.key, "Path", folder), platform::Status());
        EXPECT_EQ(registry.SetString(opened.key, "Empty", ""), platform::Status());
        EXPECT_EQ(registry.SetDword(opened.key, "EstimatedSize", 15250), platform::Status());
        EXPECT_EQ(registry.SetDword(opened.key, "Pattern", 0x12345678), platform::Status());
    }

    // Read back from the 64-bit view, where the 32-bit writes must have landed.
    const std::string redirected = "Software\\Wow6432Node\\" + path_.substr(9);
    const ReadValue path = Read(HKEY_LOCAL_MACHINE, redirected, "Path", KEY_WOW64_64KEY);
    EXPECT_EQ(path.status, ERROR_SUCCESS);
    EXPECT_EQ(path.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(path.bytes, folder + '\0');
    const ReadValue empty = Read(HKEY_LOCAL_MACHINE, redirected, "Empty", KEY_WOW64_64KEY);
    EXPECT_EQ(empty.type, static_cast<DWORD>(REG_SZ));
    EXPECT_EQ(empty.bytes, std::string(1, '\0'));
    const ReadValue size = Read(HKEY_LOCAL_MACHINE, redirected, "EstimatedSize", KEY_WOW64_64KEY);
    EXPECT_EQ(size.type, static_cast<DWORD>(REG_DWORD));
    EXPECT_EQ(size.bytes, std::string("\x92\x3b\x00\x00", 4));
    const ReadValue pattern = Read(HKEY_LOCAL_MACHINE, redirected, "Pattern", KEY_WOW64_64KEY);
    EXPECT_EQ(pattern.bytes, std::string("\x78\x56\x34\x12", 4));
    EXPECT_FALSE(KeyExists(HKEY_LOCAL_MACHINE, path_, KEY_WOW64_64KEY));
}

TEST_F(RegistryTest, OpenNeverCreatesAndQueryAndDeleteSeeTheValue) {
    platform::OpenedKey opened = registry.OpenKey(RegistryRoot::CurrentUser, path_ + "\\");
    EXPECT_EQ(opened.status, platform::kNotFound);
    EXPECT_FALSE(opened.key);
    EXPECT_FALSE(KeyExists(HKEY_CURRENT_USER, path_));

    ASSERT_EQ(registry.CreateKey(RegistryRoot::CurrentUser, path_ + "\\").status,
              platform::Status());
    opened = registry.OpenKey(RegistryRoot::CurrentUser, path_ + "\\");
    ASSERT_EQ(opened.status, platform::Status());
    const platform::RegistryKey& key = opened.key;
    EXPECT_EQ(registry.QueryValue(key, "fltsrv"), platform::kNotFound);
    EXPECT_EQ(registry.SetString(key, "fltsrv", "C:\\X\\fltsrv.exe -h"), platform::Status());
    EXPECT_EQ(registry.QueryValue(key, "fltsrv"), platform::Status());
    EXPECT_EQ(registry.DeleteValue(key, "fltsrv"), platform::Status());
    EXPECT_EQ(registry.QueryValue(key, "fltsrv"), platform::kNotFound);
    EXPECT_EQ(Read(HKEY_CURRENT_USER, path_, "fltsrv").status, ERROR_FILE_NOT_FOUND);
}

TEST_F(RegistryTest, WritesThatTheSystemRefusesAreReportedAsFailures) {
    // A deny access list refuses the full-access open, as the fake refuses a key.
    ASSERT_NO_FATAL_FAILURE(SetKeyAccess("deny", "HKLM", path_));
    EXPECT_EQ(registry.OpenKey(RegistryRoot::LocalMachine, path_).status, platform::kAccessDenied);
    const platform::OpenedKey refused = registry.CreateKey(RegistryRoot::LocalMachine, path_);
    EXPECT_EQ(refused.status, platform::kAccessDenied);
    EXPECT_FALSE(refused.key);
    ASSERT_NO_FATAL_FAILURE(SetKeyAccess("allow", "HKLM", path_));

    // A key deleted behind an open handle fails every write made through it.
    const platform::OpenedKey opened = registry.CreateKey(RegistryRoot::CurrentUser, path_);
    ASSERT_EQ(opened.status, platform::Status());
    ASSERT_EQ(::RegDeleteKeyA(HKEY_CURRENT_USER, path_.c_str()), ERROR_SUCCESS);
    EXPECT_NE(registry.SetString(opened.key, "Path", "C:\\X\\"), platform::Status());
    EXPECT_NE(registry.SetDword(opened.key, "NoModify", 1), platform::Status());
}

TEST_F(RegistryTest, AnUnwritableUninstallEntryIsSkippedAndTheRestIsWritten) {
    const std::string uninstall = std::string(install::kUninstallKey) + "tidyKiosk Filter Server";
    ASSERT_NO_FATAL_FAILURE(SetKeyAccess("deny", "HKLM", uninstall));
    platform::win32::Win32System system;
    EXPECT_FALSE(
        install::WriteRegistryEntries(registry, system, install::kServerEdition, "C:\\Reg Test\\"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, "Software\\VornSoft\\FltLogServer", "Path").bytes,
              std::string("C:\\Reg Test\\") + '\0');
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, std::string(install::kRunKey), "fltsrv").bytes,
              std::string("C:\\Reg Test\\fltsrv.exe -h") + '\0');
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, uninstall, "DisplayName").status, ERROR_FILE_NOT_FOUND);

    ASSERT_NO_FATAL_FAILURE(SetKeyAccess("allow", "HKLM", uninstall));
    EXPECT_TRUE(
        install::WriteRegistryEntries(registry, system, install::kServerEdition, "C:\\Reg Test\\"));
    EXPECT_EQ(Read(HKEY_LOCAL_MACHINE, uninstall, "NoRepair").bytes, std::string("\1\0\0\0", 4));
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, uninstall.c_str());
    ::RegDeleteTreeA(HKEY_LOCAL_MACHINE, "Software\\VornSoft");
    ::RegDeleteTreeA(HKEY_CURRENT_USER, "Software\\VornSoft");
    ::RegDeleteKeyValueA(HKEY_LOCAL_MACHINE, install::kRunKey.data(), "fltsrv");
}

}  // namespace
}  // namespace tk
