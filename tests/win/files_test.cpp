// Win32Files and the payload extraction against the real file system.
#include <windows.h>
#include <aclapi.h>
#include <sddl.h>

#include <gtest/gtest.h>

#include "install/extraction.h"
#include "install/folder_access.h"
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

// CreateDirectoryA stops at 248 characters; the wide form with \\?\ does not.
bool MakeFolder(const std::string& path) {
    return ::CreateDirectoryW((L"\\\\?\\" + std::wstring(path.begin(), path.end())).c_str(),
                              nullptr) != 0;
}

// The short form as the system gives it with room to spare.
std::string ShortOf(const std::string& path) {
    char buffer[1024] = {};
    return ::GetShortPathNameA(path.c_str(), buffer, sizeof buffer) != 0 ? buffer : "<none>";
}

// Makes folders of 8.3 names below `path` until the path is `length` characters long.
std::string DeepFolder(std::string path, std::size_t length) {
    while (path.size() < length) {
        const std::size_t room = length - path.size() - 1;  // for the next name
        path += "\\" + std::string(room >= 10 ? 8 : room == 9 ? 7 : room, 'd');
        MakeFolder(path);
    }
    return path;
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

TEST_F(FilesTest, AReplacedFileKeepsItsAttributesAndItsAccessList) {
    const std::string target = folder / "settings.dat";
    WriteFile(target, "old");
    WriteFile(folder / "fresh.dat", "a new file, for comparison");
    // A list of its own, as an administrator may have given it, and the hidden attribute.
    PSECURITY_DESCRIPTOR descriptor = nullptr;
    ASSERT_TRUE(::ConvertStringSecurityDescriptorToSecurityDescriptorA(
        "D:P(A;;FA;;;WD)(A;;FA;;;SY)", SDDL_REVISION_1, &descriptor, nullptr));
    BOOL present = FALSE, defaulted = FALSE;
    PACL acl = nullptr;
    ::GetSecurityDescriptorDacl(descriptor, &present, &acl, &defaulted);
    std::string name = target;
    ASSERT_EQ(
        ::SetNamedSecurityInfoA(name.data(), SE_FILE_OBJECT,
                                DACL_SECURITY_INFORMATION | PROTECTED_DACL_SECURITY_INFORMATION,
                                nullptr, nullptr, acl, nullptr),
        ERROR_SUCCESS);
    ::LocalFree(descriptor);
    ASSERT_TRUE(::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_HIDDEN));
    const std::vector<std::string> dacl = wintest::DaclOf(target);
    ASSERT_NE(dacl, wintest::DaclOf(folder / "fresh.dat"));
    ASSERT_NE(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);

    ASSERT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(wintest::DaclOf(target), dacl);
    EXPECT_NE(::GetFileAttributesA(target.c_str()) & FILE_ATTRIBUTE_HIDDEN, 0u);
    EXPECT_EQ(wintest::FileNames(folder.Path()),
              (std::vector<std::string>{"fresh.dat", "settings.dat"}));
}

TEST_F(FilesTest, APathThatJustFitsIsWrittenThoughATemporaryNameBesideItWouldNot) {
    // MAX_PATH - 1 characters with a short file name: "tk~XXXX.tmp" is longer than it.
    const std::string subfolder =
        folder.Path() + "\\" + std::string(MAX_PATH - 1 - 6 - folder.Path().size() - 1, 'd');
    ASSERT_TRUE(MakeFolder(subfolder));
    const std::string target = subfolder + "\\a.exe";
    ASSERT_EQ(target.size(), MAX_PATH - 1u);
    WriteFile(target, "old");
    ASSERT_EQ(ReadFile(target), "old");
    EXPECT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(target), "new");
    EXPECT_EQ(files.ReplaceFileContent(subfolder + "\\b.exe", AsBytes("b")),
              ReplaceResult::Replaced);
    EXPECT_EQ(wintest::FileNames(subfolder), (std::vector<std::string>{"a.exe", "b.exe"}));
}

TEST_F(FilesTest, TheShortFormOfAPathIsTakenOnlyWhenItFitsIn255Characters) {
    const std::string base = ShortOf(folder.Path());
    // 254 characters in short form, one name below the base not 8.3 itself.
    const std::string longName = base + "\\long name";
    ASSERT_TRUE(MakeFolder(longName));
    const std::size_t saved = longName.size() - ShortOf(longName).size();
    const std::string fits = DeepFolder(longName, 254 + saved);
    ASSERT_EQ(ShortOf(fits).size(), 254u);
    EXPECT_EQ(install::GetShortPath(files, fits), ShortOf(fits));
    EXPECT_NE(install::GetShortPath(files, fits), fits);
    // 8.3 names only: the short form is the path itself, 255 characters, one too many.
    ASSERT_TRUE(MakeFolder(base + "\\x"));
    const std::string tooLong = DeepFolder(base + "\\x", 255);
    ASSERT_EQ(ShortOf(tooLong), tooLong);
    EXPECT_EQ(install::GetShortPath(files, tooLong), tooLong);
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
    EXPECT_EQ(files.ReplaceFileContent(target, AsBytes("new")), ReplaceResult::ReadOnly);
    EXPECT_EQ(ReadFile(target), "keep me");

    const std::string subfolder = folder / "_fltw.exe";
    ::CreateDirectoryA(subfolder.c_str(), nullptr);
    EXPECT_EQ(files.ReplaceFileContent(subfolder, AsBytes("new")), ReplaceResult::AccessDenied);
    EXPECT_TRUE(files.DirectoryExists(subfolder));
    EXPECT_EQ(wintest::FileNames(folder.Path()), std::vector<std::string>{"locked.txt"});
}

TEST_F(FilesTest, AMissingFolderFailsTheWriteWithItsErrorNumber) {
    const platform::ReplaceOutcome outcome =
        files.ReplaceFileContent(folder / "no\\such\\file.txt", AsBytes("x"));
    EXPECT_EQ(outcome, ReplaceResult::WriteFailed);
    EXPECT_EQ(outcome.error, static_cast<std::uint32_t>(ERROR_PATH_NOT_FOUND));
}

// Content made piece by piece, as the extraction inflates it: whole when every piece came;
// when it stops partway, the file and its restart copy stay as they were and no temporary
// file is left.
TEST_F(FilesTest, ContentInPiecesIsWrittenWholeOrNotAtAll) {
    struct Pieces final : platform::FileContent {
        bool stops = false;
        bool WriteTo(platform::ByteSink& sink) const noexcept override {
            return sink.Write(AsBytes("first, ")) && sink.Write(AsBytes("second")) && !stops;
        }
    } content;
    const std::string target = folder / "app.exe";
    ASSERT_EQ(files.ReplaceFileContent(target, content), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(target), "first, second");
    WriteFile(folder / "~app.exe", "older copy");
    content.stops = true;
    const platform::ReplaceOutcome outcome = files.ReplaceFileContent(target, content);
    EXPECT_EQ(outcome, ReplaceResult::BadContent);
    EXPECT_EQ(outcome.error, 0u);
    EXPECT_EQ(files.WriteRestartCopy(folder / "~app.exe", target, content),
              ReplaceResult::BadContent);
    EXPECT_EQ(ReadFile(target), "first, second");
    EXPECT_EQ(ReadFile(folder / "~app.exe"), "older copy");
    EXPECT_EQ(wintest::FileNames(folder.Path()), (std::vector<std::string>{"app.exe", "~app.exe"}));
}

// From its writing until it has its name, a staged file cannot be changed, renamed or
// deleted through another handle, in this process or another one: whether its target is
// free (it is put in place) or held (it becomes the restart copy).
TEST_F(FilesTest, AStagedFileIsGuardedUntilItHasItsName) {
    const auto expectGuarded = [&](const char* when) {
        SCOPED_TRACE(when);
        std::vector<std::string> names = wintest::FileNames(folder.Path());
        std::erase_if(names, [](const std::string& name) { return name.rfind("tk~", 0) != 0; });
        ASSERT_EQ(names.size(), 1u);
        const std::string staged = folder / names[0];
        for (const DWORD access : {DWORD{GENERIC_WRITE}, DWORD{DELETE}}) {
            EXPECT_EQ(::CreateFileA(staged.c_str(), access,
                                    FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr,
                                    OPEN_EXISTING, 0, nullptr),
                      INVALID_HANDLE_VALUE);
            EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        }
        EXPECT_FALSE(::MoveFileA(staged.c_str(), (folder / "moved.tmp").c_str()));
        EXPECT_EQ(::GetLastError(), static_cast<DWORD>(ERROR_SHARING_VIOLATION));
        EXPECT_EQ(wintest::RunToEnd("\"" + wintest::TestTool("tk_staged_watch") + "\" \"" +
                                    folder.Path() + "\""),
                  0);
    };
    const std::string target = folder / "app.exe";
    WriteFile(target, "old");
    std::unique_ptr<platform::StagedFile> staged;
    ASSERT_EQ(files.StageFileContent(target, platform::StoredContent(AsBytes("new")), staged),
              ReplaceResult::Replaced);
    expectGuarded("staged");
    ASSERT_EQ(files.PutInPlace(*staged), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(target), "new");

    ASSERT_EQ(files.StageFileContent(target, platform::StoredContent(AsBytes("new")), staged),
              ReplaceResult::Replaced);
    {
        wintest::HeldFile held(target);
        ASSERT_TRUE(held.Held()) << "the holder did not start";
        EXPECT_EQ(files.PutInPlace(*staged), ReplaceResult::TargetInUse);
        expectGuarded("its target in use");
        EXPECT_EQ(files.PutAsRestartCopy(*staged, folder / "~app.exe"), ReplaceResult::Replaced);
    }
    EXPECT_EQ(ReadFile(folder / "~app.exe"), "new");
    staged.reset();
    EXPECT_EQ(wintest::FileNames(folder.Path()), (std::vector<std::string>{"app.exe", "~app.exe"}));
}

TEST_F(FilesTest, ARestartCopyIsWholeAndTakesTheTargetsAttributesAndAccessList) {
    const std::string target = folder / "fltcln.exe";
    const std::string copy = folder / "~fltcln.exe";
    WriteFile(target, "running");
    WriteFile(copy, "an older copy, longer than the new one");
    ::SetFileAttributesA(copy.c_str(), FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_READONLY);
    ::SetFileAttributesA(target.c_str(), FILE_ATTRIBUTE_ARCHIVE);
    ASSERT_EQ(files.WriteRestartCopy(copy, target, AsBytes("new")), ReplaceResult::Replaced);
    EXPECT_EQ(ReadFile(copy), "new");
    EXPECT_EQ(::GetFileAttributesA(copy.c_str()), static_cast<DWORD>(FILE_ATTRIBUTE_ARCHIVE));
    EXPECT_EQ(wintest::DaclOf(copy), wintest::DaclOf(target));
    EXPECT_EQ(wintest::FileNames(folder.Path()),
              (std::vector<std::string>{"fltcln.exe", "~fltcln.exe"}));
}

constexpr wchar_t kSessionManager[] = L"SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

// The system's list of renames for the restart, raw; "<none>" when there is no list.
std::wstring PendingList() {
    HKEY key = nullptr;
    std::wstring list(4096, L'\0');
    DWORD size = static_cast<DWORD>(list.size() * sizeof(wchar_t));
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE, &key);
    const LONG status = ::RegQueryValueExW(key, kPendingRenames, nullptr, nullptr,
                                           reinterpret_cast<BYTE*>(list.data()), &size);
    ::RegCloseKey(key);
    return status == ERROR_SUCCESS ? list.substr(0, size / sizeof(wchar_t)) : L"<none>";
}

// Writes the list as another program would; an empty one is deleted.
void SetPendingList(const std::wstring& list) {
    HKEY key = nullptr;
    ::RegOpenKeyExW(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_SET_VALUE, &key);
    if (list.empty()) {
        ::RegDeleteValueW(key, kPendingRenames);
    } else {
        ::RegSetValueExW(key, kPendingRenames, 0, REG_MULTI_SZ,
                         reinterpret_cast<const BYTE*>(list.data()),
                         static_cast<DWORD>(list.size() * sizeof(wchar_t)));
    }
    ::RegCloseKey(key);
}

// Other programs' entries, with names outside the ANSI code page and a deletion (whose empty
// second name is no end of the list), stay byte for byte; ours go, whatever their spelling.
TEST_F(FilesTest, WithdrawingTakesOutOurEntriesAndKeepsEveryOtherOne) {
    using namespace std::string_literals;
    // "~çözüm.dll" in code pages 1252 and 1254 alike.
    const std::string copy = folder / "~\xE7\xF6z\xFCm.dll";
    const std::string target = folder / "a.dll";
    WriteFile(copy, "new");
    const std::wstring base = L"\\??\\" + std::wstring(folder.Path().begin(), folder.Path().end());
    const std::wstring ours = base + L"\\~\u00E7\u00F6z\u00FCm.dll\0!"s + base + L"\\a.dll\0"s;
    const std::wstring oursInCapitals = base + L"\\~\u00C7\u00D6Z\u00DCM.DLL\0\0"s;
    const std::wstring others =
        L"\\??\\C:\\Другой\\файл.dll\0\0"
        L"\\??\\C:\\Έργο\\νέο.sys\0!\\??\\C:\\Έργο\\παλιό.sys\0"s +
        L"\\??\\C:\\elsewhere.dll\0!"s + ours.substr(0, ours.find(L'\0') + 1);
    const std::wstring later = L"\\??\\C:\\Ελληνικά.txt\0\0"s;

    SetPendingList(others + L'\0');
    ASSERT_TRUE(files.ScheduleAtRestart(copy, target));
    ASSERT_EQ(PendingList(), others + ours + L'\0');
    // Another program added its own after ours, and ours once more in capitals.
    SetPendingList(others + ours + later + oursInCapitals + L'\0');
    EXPECT_TRUE(files.WithdrawFromRestart(copy));
    EXPECT_EQ(PendingList(), others + later + L'\0');
    EXPECT_TRUE(files.WithdrawFromRestart(copy));
    EXPECT_EQ(PendingList(), others + later + L'\0');

    // A deletion of ours, and the list goes once nothing is left in it.
    SetPendingList(L"");
    ASSERT_TRUE(files.ScheduleAtRestart(copy, ""));
    ASSERT_EQ(PendingList(), ours.substr(0, ours.find(L'\0') + 1) + L"\0\0"s);
    EXPECT_TRUE(files.WithdrawFromRestart(copy));
    EXPECT_EQ(PendingList(), L"<none>");
}

// A drive mapped to a share is checked end to end (tests/e2e/restart_replace_test.sh). A
// substituted drive is not made here: Wine's DefineDosDeviceA hangs or crashes its 32-bit
// processes now and then.
TEST_F(FilesTest, NothingIsMovedAtTheRestartOnAShare) {
    EXPECT_TRUE(files.ReplaceableAtRestart(folder / "a.exe"));
    EXPECT_FALSE(files.ReplaceableAtRestart("\\\\server\\share\\a.exe"));
}

TEST_F(FilesTest, MakeDirectoriesCreatesEveryMissingParentOrSaysWhyTheFirstCouldNotBe) {
    const std::string deep = folder / "a\\b c\\d\\";
    EXPECT_EQ(files.MakeDirectories(deep), platform::Status());
    EXPECT_TRUE(files.DirectoryExists(folder / "a\\b c\\d"));
    WriteFile(folder / "file", "");  // in the way of a parent: its reason, not the last one's
    EXPECT_EQ(files.MakeDirectories(folder / "file\\x\\y"), platform::kAlreadyExists);
    EXPECT_EQ(files.MakeDirectory(folder / "a"), platform::kAlreadyExists);
    EXPECT_EQ(files.MakeDirectory(folder / "x\\y"), platform::Status(3));
}

TEST_F(FilesTest, TheProfileWriteKeepsTheOtherKeys) {
    const std::string settings = folder / "data.ini";
    WriteFile(settings, "[Settings]\r\nLang=turkce.lng\r\nPort=8080\r\n[Other]\r\nKey=1\r\n");
    ASSERT_EQ(files.WriteProfileValue(settings, "Settings", "Lang", "english.lng"),
              platform::Status());
    EXPECT_EQ(ReadFile(settings),
              "[Settings]\r\nLang=english.lng\r\nPort=8080\r\n[Other]\r\nKey=1\r\n");
    EXPECT_EQ(files.WriteProfileValue(folder / "missing\\x.ini", "S", "K", "V"),
              platform::Status(3));
}

TEST_F(FilesTest, ExtractionWritesRawResourcesAndMakesSubfolders) {
    platform::win32::Win32Resources resources;
    struct NullProgress : install::ProgressReporter {
        void KeepResponsive() override {}
        void Reached(install::InstallStage) override {}
        void EntryReached() override {}
        void CurrentFile(const std::string&) override {}
    } progress;
    // Resource 901 of this test program is plain text, 902 a zlib stream of "inflated".
    constexpr install::PayloadEntry catalogue[] = {{901, "sub\\dir\\raw.txt"},
                                                   {902, "+packed.txt"}};
    install::PayloadExtractor extractor(files, resources, progress, catalogue);
    const std::string base = folder.Path() + "\\";
    EXPECT_TRUE(extractor.ExtractPayload(901, base, base, install::kServerEdition));
    EXPECT_TRUE(extractor.ExtractPayload(902, base, base, install::kClientEdition));
    EXPECT_FALSE(extractor.ExtractPayload(903, base, base, install::kServerEdition));
    EXPECT_FALSE(files.FileExists(folder / "packed.txt")) << "not in place before PutInPlace";
    extractor.PutInPlace();
    EXPECT_TRUE(extractor.Notes().empty());
    EXPECT_EQ(ReadFile(folder / "sub\\dir\\raw.txt"), "not a zlib stream\r\n");
    EXPECT_EQ(ReadFile(folder / "packed.txt"), "inflated");
    EXPECT_EQ(wintest::FileNames(folder.Path()), std::vector<std::string>{"packed.txt"});
}

}  // namespace
}  // namespace tk
