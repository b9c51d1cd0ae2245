// Win32Security against the real security functions under Wine.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>

#include "platform/win32/win32_security.h"
#include "win_test_support.h"

namespace tk {
namespace {

using wintest::DaclOf;
using wintest::ReadFile;
using wintest::WriteFile;

// True when an allow entry grants a right to change or remove the object to anybody but
// administrators, SYSTEM or the running (administrator) account.
bool HasWriterOtherThanAdministrators(const std::string& path) {
    HANDLE token = nullptr;
    ::OpenProcessToken(::GetCurrentProcess(), TOKEN_QUERY, &token);
    char buffer[256] = {};
    DWORD size = 0;
    ::GetTokenInformation(token, TokenUser, buffer, sizeof buffer, &size);
    ::CloseHandle(token);
    char* self = nullptr;
    ::ConvertSidToStringSidA(reinterpret_cast<TOKEN_USER*>(buffer)->User.Sid, &self);
    const std::string trusted[] = {"S-1-5-32-544", "S-1-5-18", self ? self : "?"};
    ::LocalFree(self);

    constexpr DWORD kWriteRights = FILE_WRITE_DATA | FILE_APPEND_DATA | FILE_WRITE_EA |
                                   FILE_WRITE_ATTRIBUTES | DELETE | WRITE_DAC | WRITE_OWNER |
                                   GENERIC_WRITE | GENERIC_ALL;
    for (const std::string& entry : DaclOf(path)) {
        char kind[16] = {}, sid[128] = {};
        unsigned long mask = 0;
        if (std::sscanf(entry.c_str(), "%15s %127s %lx", kind, sid, &mask) == 3 &&
            std::string(kind) == "allow" && (mask & kWriteRights) != 0 &&
            std::find(std::begin(trusted), std::end(trusted), sid) == std::end(trusted)) {
            return true;
        }
    }
    return false;
}

// True when an allow entry gives Everyone (S-1-1-0) full control of the folder and one
// hands it on to files and subfolders. Windows may keep GENERIC_ALL on an inherit-only
// entry beside an effective one with the file rights it maps to; Wine keeps what its file
// modes can say: every file right but WRITE_DAC and WRITE_OWNER.
bool EveryoneHasInheritableFullControl(const std::string& path) {
    constexpr unsigned long kFullFileRights = FILE_ALL_ACCESS & ~(WRITE_DAC | WRITE_OWNER);
    constexpr unsigned kBothInherit = OBJECT_INHERIT_ACE | CONTAINER_INHERIT_ACE;
    bool effective = false;
    bool inherited = false;
    for (const std::string& entry : DaclOf(path)) {
        char kind[16] = {}, sid[128] = {};
        unsigned long mask = 0;
        unsigned flags = 0;
        if (std::sscanf(entry.c_str(), "%15s %127s %lx %x", kind, sid, &mask, &flags) != 4 ||
            std::string(kind) != "allow" || std::string(sid) != "S-1-1-0" ||
            (mask != GENERIC_ALL && (mask & kFullFileRights) != kFullFileRights)) {
            continue;
        }
        effective = effective || (flags & INHERIT_ONLY_ACE) == 0;
        inherited = inherited || (flags & kBothInherit) == kBothInherit;
    }
    return effective && inherited;
}

class SecurityTest : public ::testing::Test {
protected:
    platform::win32::Win32Security security;
    wintest::ScratchFolder folder;
};

TEST_F(SecurityTest, PrivilegesAreAdjustedOnlyWhenTheNameIsKnown) {
    EXPECT_TRUE(security.EnablePrivilege("SeSecurityPrivilege", true));
    EXPECT_TRUE(security.EnablePrivilege("SeSecurityPrivilege", false));
    EXPECT_FALSE(security.EnablePrivilege("SeNoSuchPrivilege", true));
}

TEST_F(SecurityTest, EveryoneGetsAnInheritableFullControlEntry) {
    const std::string path = folder.Path() + "\\";
    ASSERT_FALSE(EveryoneHasInheritableFullControl(path)) << ::testing::PrintToString(DaclOf(path));
    ASSERT_TRUE(security.GrantEveryoneFullAccess(path));
    EXPECT_TRUE(EveryoneHasInheritableFullControl(path)) << ::testing::PrintToString(DaclOf(path));

    EXPECT_FALSE(security.GrantEveryoneFullAccess(folder / "missing\\"));
}

TEST_F(SecurityTest, APrivateFileReplacesWhateverStoodThereAndOnlyAdministratorsMayWriteIt) {
    const std::string path = folder / "acc.bat";
    // Somebody else prepared a file of that name that everyone may change.
    WriteFile(path, "prepared by somebody else, and longer than the new text");
    ASSERT_TRUE(security.GrantEveryoneFullAccess(path));
    ASSERT_TRUE(HasWriterOtherThanAdministrators(path)) << ::testing::PrintToString(DaclOf(path));

    auto locked = security.WritePrivateFile(path, "@echo off\r\n");
    ASSERT_NE(locked, nullptr);
    EXPECT_EQ(ReadFile(path), "@echo off\r\n");
    // Wine keeps only what its file modes can say of the list, so the check is the effect:
    // nobody but administrators, SYSTEM and the creating administrator may write.
    EXPECT_FALSE(HasWriterOtherThanAdministrators(path)) << ::testing::PrintToString(DaclOf(path));
    // Once released, the installer itself can still tidy it away.
    locked.reset();
    EXPECT_TRUE(::DeleteFileA(path.c_str()));
}

TEST_F(SecurityTest, APrivateFileCanOnlyBeReadAndRunByOthersUntilItIsReleased) {
    const std::string path = folder / "acc.bat";
    const std::string marker = folder / "ran.txt";
    const std::string tamper = "\"" + wintest::TestTool("tk_tamper") + "\" \"" + path + "\"";
    constexpr int kRead = 16, kAll = 16 + 1 + 2 + 4 + 8;  // see tk_tamper
    auto locked = security.WritePrivateFile(path, "@echo off\r\necho ran>\"" + marker + "\"\r\n");
    ASSERT_NE(locked, nullptr);
    // Another program can read it, and the batch interpreter run it, but nobody can write,
    // rename, replace or delete it.
    EXPECT_EQ(wintest::RunToEnd("cmd.exe /c \"" + path + "\""), 0);
    EXPECT_EQ(ReadFile(marker), "ran\r\n");
    EXPECT_EQ(wintest::RunToEnd(tamper), kRead);
    locked.reset();
    EXPECT_EQ(wintest::RunToEnd(tamper), kAll);
}

TEST_F(SecurityTest, APrivateFileIsNotWrittenWhenTheOldOneCannotBeRemoved) {
    const std::string path = folder / "acc.bat";
    WriteFile(path, "held");
    HANDLE held = ::CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ, nullptr, OPEN_EXISTING,
                                0, nullptr);
    ASSERT_NE(held, INVALID_HANDLE_VALUE);
    EXPECT_FALSE(security.WritePrivateFile(path, "new"));
    ::CloseHandle(held);
    EXPECT_EQ(ReadFile(path), "held");
    EXPECT_FALSE(security.WritePrivateFile(folder / "missing\\acc.bat", "new"));
}

}  // namespace
}  // namespace tk
