#include "platform/win32/win32_files.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstring>
#include <new>
#include <string>
#include <vector>

#include "platform/win32/handles.h"
#include "platform/win32/system_library.h"

namespace tk::platform::win32 {
namespace {

std::string ParentOf(std::string path) {
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

// Appends each piece to the open file; after a refused piece, `error` says why.
class FileSink final : public ByteSink {
public:
    explicit FileSink(HANDLE file) : file_(file) {}
    bool Write(std::span<const std::uint8_t> bytes) override {
        std::size_t done = 0;
        while (done < bytes.size()) {
            const DWORD chunk =
                static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
            DWORD written = 0;
            if (!::WriteFile(file_, bytes.data() + done, chunk, &written, nullptr) ||
                written == 0) {
                error = ::GetLastError();
                return false;
            }
            done += written;
        }
        return true;
    }
    DWORD error = 0;

private:
    HANDLE file_;
};

bool InUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

// What a failed write of the new content means, from the system's error number.
ReplaceOutcome Failure(DWORD error) {
    if (InUse(error)) {
        return {ReplaceResult::TargetInUse, error};
    }
    if (error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL) {
        return {ReplaceResult::DiskFull, error};
    }
    if (error == ERROR_ACCESS_DENIED) {
        return {ReplaceResult::AccessDenied, error};
    }
    return {ReplaceResult::WriteFailed, error};
}

// The path as the wide entry points take it: converted from the ANSI code page as the
// ANSI entry points do, made full, and prefixed with \\?\ so that names beside it are not
// held to MAX_PATH. Empty when it cannot be converted.
std::wstring ExtendedPath(const std::string& path) {
    const int size = ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, nullptr, 0);
    if (size <= 1) {
        return {};
    }
    std::wstring wide(static_cast<std::size_t>(size), L'\0');
    ::MultiByteToWideChar(CP_ACP, 0, path.c_str(), -1, wide.data(), size);
    const DWORD fullSize = ::GetFullPathNameW(wide.c_str(), 0, nullptr, nullptr);
    if (fullSize == 0) {
        return {};
    }
    std::wstring full(fullSize, L'\0');
    const DWORD length = ::GetFullPathNameW(wide.c_str(), fullSize, full.data(), nullptr);
    if (length == 0 || length >= fullSize) {
        return {};
    }
    full.resize(length);
    if (full.rfind(LR"(\\?\)", 0) == 0) {
        return full;
    }
    if (full.rfind(LR"(\\)", 0) == 0) {
        return LR"(\\?\UNC\)" + full.substr(2);
    }
    return LR"(\\?\)" + full;
}

bool Exists(const std::wstring& path) {
    return ::GetFileAttributesW(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

// Makes a new empty file "tk~XXXX.tmp" beside the target, exclusively, and opens it with
// the given access; `name` is its name, or empty when none could be made.
FileHandle CreateBeside(const std::wstring& target, DWORD access, std::wstring& name) {
    const std::wstring folder = target.substr(0, target.rfind(L'\\') + 1);
    const DWORD seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 8);
    for (DWORD attempt = 0; attempt < 0x10000; ++attempt) {
        const DWORD unique = (seed + attempt) & 0xFFFF;
        name = folder + L"tk~";
        for (int shift = 12; shift >= 0; shift -= 4) {
            name += L"0123456789ABCDEF"[(unique >> shift) & 0xF];
        }
        name += L".tmp";
        FileHandle file(::CreateFileW(name.c_str(), access, 0, nullptr, CREATE_NEW,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        if (file) {
            return file;
        }
        const DWORD error = ::GetLastError();
        if (error != ERROR_FILE_EXISTS && error != ERROR_ALREADY_EXISTS) {
            break;
        }
    }
    name.clear();
    return FileHandle();
}

// Whether an existing target can be replaced now: opening it for writing without sharing
// tells whether another program holds it open (then it waits for the next restart).
ReplaceOutcome ProbeExisting(const std::wstring& target) {
    if (FileHandle(::CreateFileW(target.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                 FILE_ATTRIBUTE_NORMAL, nullptr))) {
        return {};
    }
    return Failure(::GetLastError());
}

// The attributes a replaced file keeps, as a truncate-and-write would have kept them.
DWORD KeptAttributes(DWORD oldAttributes) {
    constexpr DWORD kKept = FILE_ATTRIBUTE_HIDDEN | FILE_ATTRIBUTE_SYSTEM | FILE_ATTRIBUTE_ARCHIVE |
                            FILE_ATTRIBUTE_NOT_CONTENT_INDEXED;
    return (oldAttributes & kKept) != 0 ? oldAttributes & kKept : FILE_ATTRIBUTE_NORMAL;
}

// Gives the new file the old one's access list, which a truncate-and-write would have
// kept too. ReplaceFileW carries it over on Windows but not under Wine, so it is set here,
// before the swap, the same way everywhere (and the attributes likewise by the caller).
bool TakeOverAccessList(const std::wstring& old, HANDLE file) {
    PACL dacl = nullptr;
    PSECURITY_DESCRIPTOR rawDescriptor = nullptr;
    if (::GetNamedSecurityInfoW(old.c_str(), SE_FILE_OBJECT, DACL_SECURITY_INFORMATION, nullptr,
                                nullptr, &dacl, nullptr, &rawDescriptor) != ERROR_SUCCESS) {
        return false;
    }
    const LocalMemory descriptor(rawDescriptor);
    SECURITY_DESCRIPTOR_CONTROL control = 0;
    DWORD revision = 0;
    if (!::GetSecurityDescriptorControl(rawDescriptor, &control, &revision)) {
        return false;
    }
    // Inherited entries come from the folder again, which is the old file's folder too.
    const SECURITY_INFORMATION parts =
        DACL_SECURITY_INFORMATION |
        ((control & SE_DACL_PROTECTED) != 0 ? PROTECTED_DACL_SECURITY_INFORMATION
                                            : UNPROTECTED_DACL_SECURITY_INFORMATION);
    return ::SetSecurityInfo(file, SE_FILE_OBJECT, parts, nullptr, nullptr, dacl, nullptr) ==
           ERROR_SUCCESS;
}

}  // namespace

// Swaps the written file in for the existing target. The old file goes to a backup name
// reserved beside it: without one, a failed ReplaceFileW may leave the old file gone and
// the new one under its temporary name (and Wine's leaves a file of its own behind when
// the target is in use). With one, every failure leaves the old file under its own name
// and the new one under its temporary name, for the caller to use or delete. A target that
// disappeared meanwhile simply gets the new file.
ReplaceOutcome SwapIn(const std::wstring& target, const std::wstring& temporary) {
    std::wstring backup;
    if (!CreateBeside(target, GENERIC_WRITE, backup)) {
        return Failure(::GetLastError());
    }
    if (::ReplaceFileW(target.c_str(), temporary.c_str(), backup.c_str(), 0, nullptr, nullptr)) {
        ::DeleteFileW(backup.c_str());
        return {};
    }
    const DWORD error = ::GetLastError();
    if (!Exists(target)) {
        if (::MoveFileExW(temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
            ::DeleteFileW(backup.c_str());
            return {};
        }
        // Only this error says that the old file went to the backup name; otherwise the
        // backup is still the empty file reserved above.
        if (error == ERROR_UNABLE_TO_MOVE_REPLACEMENT_2) {
            ::MoveFileExW(backup.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH);
        }
    }
    if (Exists(target)) {
        ::DeleteFileW(backup.c_str());
    }
    // Taken by another program since it was found free, or otherwise held by the system.
    return error == ERROR_UNABLE_TO_REMOVE_REPLACED
               ? ReplaceOutcome{ReplaceResult::TargetInUse, error}
               : Failure(error);
}

namespace {

// Gives the open file `file` the name `target`, which must not exist yet, without opening
// it again. False where the system cannot rename through the handle (before Vista) or the
// rename fails; the file then keeps its name.
bool RenameOpenFile(HANDLE file, const std::wstring& target) {
    // FILE_RENAME_INFO, which the headers offer from Vista on only.
    struct RenameInfo {
        BOOLEAN replaceIfExists;
        HANDLE rootDirectory;
        DWORD fileNameLength;  // in bytes, without the NUL
        WCHAR fileName[1];
    };
    typedef BOOL WINAPI SetFileInformationByHandleFn(HANDLE, int, LPVOID, DWORD);
    constexpr int kFileRenameInfo = 3;
    const auto setInformation =
        LoadedFunction<SetFileInformationByHandleFn>(L"kernel32.dll", "SetFileInformationByHandle");
    if (setInformation == nullptr) {
        return false;
    }
    std::vector<std::uint8_t> buffer(sizeof(RenameInfo) + target.size() * sizeof(wchar_t), 0);
    auto* info = reinterpret_cast<RenameInfo*>(buffer.data());
    info->fileNameLength = static_cast<DWORD>(target.size() * sizeof(wchar_t));
    std::memcpy(info->fileName, target.c_str(), info->fileNameLength);
    return setInformation(file, kFileRenameInfo, info, static_cast<DWORD>(buffer.size())) != 0;
}

// Writes the content into a new file beside `target`, flushed, with the access list of
// `model` when it exists; `temporary` names it. The file is closed again unless the caller
// asked to keep it open in `keep` (a new target takes its name through it).
ReplaceOutcome WriteBeside(const std::wstring& target, const std::wstring& model,
                           const FileContent& content, std::wstring& temporary,
                           FileHandle* keep = nullptr) {
    FileHandle file =
        CreateBeside(target, GENERIC_READ | GENERIC_WRITE | WRITE_DAC | DELETE, temporary);
    FileSink sink(file.get());
    const bool made = file && content.WriteTo(sink);
    const bool written = made && ::FlushFileBuffers(file.get()) &&
                         (model.empty() || !Exists(model) || TakeOverAccessList(model, file.get()));
    if (!written) {
        const DWORD error = sink.error != 0 ? sink.error : ::GetLastError();
        // The content stopped by itself when the file was made and took every piece.
        const bool badContent = file && !made && sink.error == 0;
        file.reset();
        if (!temporary.empty()) {
            ::DeleteFileW(temporary.c_str());
        }
        return badContent ? ReplaceOutcome{ReplaceResult::BadContent, 0} : Failure(error);
    }
    if (keep != nullptr) {
        *keep = std::move(file);
    }
    return {};
}

// A file written beside its target and not yet put in place; deleted when dropped so.
class Win32StagedFile final : public StagedFile {
public:
    ~Win32StagedFile() override {
        file.reset();
        if (!temporary.empty()) {
            ::DeleteFileW(temporary.c_str());
        }
    }
    std::wstring target;
    std::wstring temporary;  // empty once it took another name
    FileHandle file;         // kept open while a new target can take its name through it
};

ReplaceOutcome StageUnchecked(const std::string& path, const FileContent& content,
                              std::unique_ptr<StagedFile>& staged) {
    auto made = std::make_unique<Win32StagedFile>();
    made->target = ExtendedPath(path);
    if (made->target.empty()) {
        return Failure(::GetLastError());
    }
    const DWORD attributes = ::GetFileAttributesW(made->target.c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    const ReplaceOutcome written =
        WriteBeside(made->target, isFile ? made->target : std::wstring(), content, made->temporary,
                    isFile ? nullptr : &made->file);
    if (written.result != ReplaceResult::Replaced) {
        made->temporary.clear();  // gone already
        return written;
    }
    staged = std::move(made);
    return {};
}

ReplaceOutcome PutInPlaceUnchecked(Win32StagedFile& staged) {
    const std::wstring& target = staged.target;
    const DWORD attributes = ::GetFileAttributesW(target.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    // A read-only file or a folder is never replaced, and a file in use not now.
    if (exists) {
        if ((attributes & FILE_ATTRIBUTE_DIRECTORY) != 0) {
            return {ReplaceResult::AccessDenied, ERROR_ACCESS_DENIED};
        }
        if ((attributes & FILE_ATTRIBUTE_READONLY) != 0) {
            return {ReplaceResult::ReadOnly, ERROR_ACCESS_DENIED};
        }
        if (const ReplaceOutcome probe = ProbeExisting(target);
            probe.result != ReplaceResult::Replaced) {
            return probe;
        }
    }
    // A new file takes its name while still open: cheaper than opening it again to move.
    if (!exists && staged.file && RenameOpenFile(staged.file.get(), target)) {
        staged.file.reset();
        staged.temporary.clear();
        return {};
    }
    staged.file.reset();
    ReplaceOutcome outcome;
    if (exists) {
        outcome = ::SetFileAttributesW(staged.temporary.c_str(), KeptAttributes(attributes))
                      ? SwapIn(target, staged.temporary)
                      : Failure(::GetLastError());
    } else if (!::MoveFileExW(staged.temporary.c_str(), target.c_str(), MOVEFILE_WRITE_THROUGH)) {
        outcome = Failure(::GetLastError());
    }
    if (outcome.result == ReplaceResult::Replaced) {
        staged.temporary.clear();
    }
    return outcome;
}

ReplaceOutcome PutAsRestartCopyUnchecked(Win32StagedFile& staged, const std::string& copyPath) {
    const std::wstring copy = ExtendedPath(copyPath);
    if (copy.empty()) {
        return Failure(::GetLastError());
    }
    staged.file.reset();
    const DWORD targetAttributes = ::GetFileAttributesW(staged.target.c_str());
    // An earlier copy may be hidden or read-only, which would refuse the move over it.
    ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    if (!::SetFileAttributesW(staged.temporary.c_str(), targetAttributes == INVALID_FILE_ATTRIBUTES
                                                            ? FILE_ATTRIBUTE_NORMAL
                                                            : KeptAttributes(targetAttributes)) ||
        !::MoveFileExW(staged.temporary.c_str(), copy.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        return Failure(::GetLastError());
    }
    staged.temporary.clear();
    return {};
}

constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr char kPendingRenames[] = "PendingFileRenameOperations";

// The system's list of renames for the next restart: pairs "\??\from", "!\??\to" ("!" when
// an existing target is replaced), or "\??\from", "" for a file deleted then. The list is
// read whole, by its size: a deletion's empty name is no end of the list.
std::vector<std::string> PendingRenames(HKEY key) {
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key, kPendingRenames, nullptr, &type, nullptr, &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return {};
    }
    std::vector<char> list(size + 2, '\0');
    if (::RegQueryValueExA(key, kPendingRenames, nullptr, nullptr,
                           reinterpret_cast<BYTE*>(list.data()), &size) != ERROR_SUCCESS) {
        return {};
    }
    std::vector<std::string> entries;
    for (std::size_t at = 0; at < size;) {
        entries.emplace_back(list.data() + at);
        at += entries.back().size() + 1;
    }
    // The list's own end, an empty name after the last pair.
    if (entries.size() % 2 != 0 && entries.back().empty()) {
        entries.pop_back();
    }
    return entries;
}

bool SamePath(std::string entry, const std::string& path) {
    if (path.empty()) {
        return entry.empty();  // the second half of a deletion
    }
    if (!entry.empty() && entry.front() == '!') {
        entry.erase(0, 1);
    }
    return entry.rfind("\\??\\", 0) == 0 && ::lstrcmpiA(entry.c_str() + 4, path.c_str()) == 0;
}

// The drive letter's root ("C:\") of a full path, or empty for a UNC path.
std::string DriveRoot(const std::string& full) {
    return full.size() >= 3 && full[1] == ':' && full[2] == '\\' ? full.substr(0, 3)
                                                                 : std::string();
}

}  // namespace

bool Win32Files::DirectoryExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) != 0;
}

bool Win32Files::FileExists(const std::string& path) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    return attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
}

bool Win32Files::MakeDirectories(const std::string& path) {
    if (path.empty()) {
        return false;
    }
    if (DirectoryExists(path)) {
        return true;
    }
    const std::string parent = ParentOf(path);
    if (!parent.empty() && parent != path && !DirectoryExists(parent)) {
        MakeDirectories(parent);
    }
    ::CreateDirectoryA(path.c_str(), nullptr);
    return DirectoryExists(path);
}

Status Win32Files::MakeDirectory(const std::string& path) {
    ::SetLastError(0);
    ::CreateDirectoryA(path.c_str(), nullptr);
    return Status(::GetLastError());
}

bool Win32Files::RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != 0;
}

bool Win32Files::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

ReplaceOutcome Win32Files::StageFileContent(const std::string& path, const FileContent& content,
                                            std::unique_ptr<StagedFile>& staged) {
    return StageUnchecked(path, content, staged);
}

ReplaceOutcome Win32Files::PutInPlace(StagedFile& staged) {
    return PutInPlaceUnchecked(static_cast<Win32StagedFile&>(staged));
}

ReplaceOutcome Win32Files::PutAsRestartCopy(StagedFile& staged, const std::string& copy) {
    return PutAsRestartCopyUnchecked(static_cast<Win32StagedFile&>(staged), copy);
}

bool Win32Files::RemoveEmptyFolder(const std::string& path) {
    return ::RemoveDirectoryA(path.c_str()) != 0;
}

bool Win32Files::ReplaceableAtRestart(const std::string& path) {
    const std::string root = DriveRoot(FullPathName(path));
    if (root.empty() || ::GetDriveTypeA(root.c_str()) == DRIVE_REMOTE) {
        return false;  // a share, or a drive mapped to one
    }
    // A drive made by SUBST names a folder ("\??\C:\Folder"), not a device.
    char device[MAX_PATH + 1] = {};
    const std::string letter = root.substr(0, 2);
    return ::QueryDosDeviceA(letter.c_str(), device, MAX_PATH) == 0 ||
           std::strncmp(device, "\\??\\", 4) != 0;
}

bool Win32Files::ScheduleAtRestart(const std::string& from, const std::string& to) {
    return ::MoveFileExA(
               from.c_str(), to.empty() ? nullptr : to.c_str(),
               MOVEFILE_DELAY_UNTIL_REBOOT | (to.empty() ? 0 : MOVEFILE_REPLACE_EXISTING)) != 0;
}

bool Win32Files::WithdrawFromRestart(const std::string& from) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0, KEY_QUERY_VALUE | KEY_SET_VALUE,
                        &opened) != ERROR_SUCCESS) {
        return true;
    }
    const RegistryKey key(opened);
    const std::vector<std::string> entries = PendingRenames(key.get());
    std::string kept;
    bool found = false;
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (SamePath(entries[i], from)) {
            found = true;
            continue;
        }
        kept += entries[i] + '\0' + entries[i + 1] + '\0';
    }
    if (!found) {
        return true;
    }
    if (kept.empty()) {
        return ::RegDeleteValueA(key.get(), kPendingRenames) == ERROR_SUCCESS;
    }
    kept += '\0';
    return ::RegSetValueExA(key.get(), kPendingRenames, 0, REG_MULTI_SZ,
                            reinterpret_cast<const BYTE*>(kept.data()),
                            static_cast<DWORD>(kept.size())) == ERROR_SUCCESS;
}

void Win32Files::RemoveLeftovers(const std::string& folder) {
    // The folder's own name, full and in the wide form the temporary files were made with.
    const std::wstring inside = ExtendedPath(folder + "\\x");
    if (inside.empty()) {
        return;
    }
    const std::wstring where = inside.substr(0, inside.size() - 1);
    WIN32_FIND_DATAW found;
    const HANDLE search = ::FindFirstFileW((where + L"tk~????.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) {
        return;
    }
    do {
        if ((found.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) == 0) {
            ::DeleteFileW((where + found.cFileName).c_str());
        }
    } while (::FindNextFileW(search, &found));
    ::FindClose(search);
}

bool Win32Files::WriteProfileValue(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& value) {
    return ::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(),
                                        file.c_str()) != 0;
}

std::uint32_t Win32Files::ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                        std::string& shortPath) {
    std::vector<char> buffer(bufferSize + 1, '\0');
    const DWORD length = ::GetShortPathNameA(path.c_str(), buffer.data(), bufferSize);
    shortPath.assign(buffer.data());
    return length;
}

std::uint32_t Win32Files::LongPathName(const std::string& path, std::uint32_t bufferSize,
                                       std::string& longPath) {
    const auto getLongPathName =
        LoadedFunction<decltype(::GetLongPathNameA)>(L"kernel32.dll", "GetLongPathNameA");
    if (getLongPathName == nullptr) {
        return 0;
    }
    std::vector<char> buffer(bufferSize + 1, '\0');
    const DWORD length = getLongPathName(path.c_str(), buffer.data(), bufferSize);
    longPath.assign(buffer.data());
    return length;
}

std::string Win32Files::FullPathName(const std::string& path) {
    std::vector<char> buffer(MAX_PATH + 1, '\0');
    DWORD length =
        ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(), nullptr);
    if (length >= buffer.size()) {  // too small: the length asked for includes the NUL
        buffer.assign(length + 1, '\0');
        length = ::GetFullPathNameA(path.c_str(), static_cast<DWORD>(buffer.size()), buffer.data(),
                                    nullptr);
    }
    return length == 0 || length >= buffer.size() ? std::string()
                                                  : std::string(buffer.data(), length);
}

}  // namespace tk::platform::win32
