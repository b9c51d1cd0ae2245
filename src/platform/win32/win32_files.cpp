#include "platform/win32/win32_files.h"

#include <windows.h>
#include <aclapi.h>

#include <algorithm>
#include <cstddef>
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

// The name the system's own calls give the file: ExtendedPath's form with \??\ for \\?\.
std::wstring NtPath(const std::wstring& extended) {
    return L"\\??\\" + extended.substr(4);
}

// The status block that NtSetInformationFile fills in.
struct IoStatus {
    LONG status;
    ULONG_PTR information;
};
// FILE_BASIC_INFORMATION: zero times stay as they are.
struct BasicInformation {
    LARGE_INTEGER creationTime;
    LARGE_INTEGER lastAccessTime;
    LARGE_INTEGER lastWriteTime;
    LARGE_INTEGER changeTime;
    ULONG attributes;
};
// FILE_RENAME_INFORMATION, followed by the new name.
struct RenameInformation {
    BOOLEAN replaceIfExists;
    HANDLE rootDirectory;
    ULONG nameLength;  // in bytes, without a NUL
    WCHAR name[1];
};
constexpr int kFileBasicInformation = 4;
constexpr int kFileRenameInformation = 10;
constexpr int kFileDispositionInformation = 13;

// NtSetInformationFile on an open file: how a file is renamed, deleted or given attributes
// through the handle that guards it, on every Windows from XP on (the kernel32 call that
// does the same came with Vista). ntdll is in every process, so it is only looked up.
// Returns the system's error number, 0 on success.
DWORD SetInformation(HANDLE file, int what, void* information, ULONG size) {
    typedef LONG NTAPI SetInformationFile(HANDLE, IoStatus*, void*, ULONG, int);
    typedef ULONG NTAPI StatusToError(LONG);
    const auto set = LoadedFunction<SetInformationFile>(L"ntdll.dll", "NtSetInformationFile");
    const auto toError = LoadedFunction<StatusToError>(L"ntdll.dll", "RtlNtStatusToDosError");
    if (set == nullptr || toError == nullptr) {
        return ERROR_PROC_NOT_FOUND;
    }
    IoStatus ioStatus{};
    const LONG status = set(file, &ioStatus, information, size, what);
    return status >= 0 ? ERROR_SUCCESS : toError(status);
}

DWORD SetAttributes(HANDLE file, DWORD attributes) {
    BasicInformation basic{};
    basic.attributes = attributes;
    return SetInformation(file, kFileBasicInformation, &basic, sizeof basic);
}

// Gives the open file the name `target` (a full extended path), over a file of that name;
// the system does it in one step, and the file stays guarded until it is closed.
DWORD RenameOpenFile(HANDLE file, const std::wstring& target) {
    const std::wstring name = NtPath(target);
    const std::size_t nameBytes = name.size() * sizeof(wchar_t);
    const std::size_t size =
        std::max(sizeof(RenameInformation), offsetof(RenameInformation, name) + nameBytes);
    std::vector<std::uint8_t> buffer(size, 0);
    auto* rename = reinterpret_cast<RenameInformation*>(buffer.data());
    rename->replaceIfExists = TRUE;
    rename->nameLength = static_cast<ULONG>(nameBytes);
    std::memcpy(rename->name, name.data(), nameBytes);
    return SetInformation(file, kFileRenameInformation, rename, static_cast<ULONG>(size));
}

// Makes a new empty file "tk~XXXX.tmp" beside the target, exclusively, and opens it for
// writing, renaming and deleting through this handle only: another handle may only read it
// (and must share writing and deleting to be let in). `name` is its name, or empty when
// none could be made.
FileHandle CreateBeside(const std::wstring& target, std::wstring& name) {
    const std::wstring folder = target.substr(0, target.rfind(L'\\') + 1);
    const DWORD seed = ::GetTickCount() ^ (::GetCurrentProcessId() << 8);
    for (DWORD attempt = 0; attempt < 0x10000; ++attempt) {
        const DWORD unique = (seed + attempt) & 0xFFFF;
        name = folder + L"tk~";
        for (int shift = 12; shift >= 0; shift -= 4) {
            name += L"0123456789ABCDEF"[(unique >> shift) & 0xF];
        }
        name += L".tmp";
        FileHandle file(
            ::CreateFileW(name.c_str(), GENERIC_READ | GENERIC_WRITE | WRITE_DAC | DELETE,
                          FILE_SHARE_READ, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr));
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
// kept too; the rename that puts it in place keeps it.
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

// A file written beside its target and not yet given its name. It stays open, shared for
// reading only, from its making until it takes its name, so that no other process can
// change, rename or delete it meanwhile; dropped before that, it is deleted through the
// same handle.
class Win32StagedFile final : public StagedFile {
public:
    ~Win32StagedFile() override {
        if (!file) {
            return;
        }
        BOOLEAN deleteFile = TRUE;
        if (SetInformation(file.get(), kFileDispositionInformation, &deleteFile,
                           sizeof deleteFile) != ERROR_SUCCESS) {
            file.reset();
            ::DeleteFileW(temporary.c_str());
        }
    }
    // Renames the file to `name`, with the attributes given, replacing a file of that name;
    // the content was flushed when it was written. Closed once it has its name.
    DWORD TakeName(const std::wstring& name, DWORD attributes) {
        DWORD error = SetAttributes(file.get(), attributes);
        if (error == ERROR_SUCCESS) {
            error = RenameOpenFile(file.get(), name);
        }
        if (error == ERROR_SUCCESS) {
            file.reset();
        }
        return error;
    }
    std::wstring target;
    std::wstring temporary;
    FileHandle file;  // open until the file has its name
};

ReplaceOutcome StageUnchecked(const std::string& path, const FileContent& content,
                              std::unique_ptr<StagedFile>& staged) {
    auto made = std::make_unique<Win32StagedFile>();
    made->target = ExtendedPath(path);
    if (made->target.empty()) {
        return Failure(::GetLastError());
    }
    made->file = CreateBeside(made->target, made->temporary);
    if (!made->file) {
        return Failure(::GetLastError());
    }
    const DWORD attributes = ::GetFileAttributesW(made->target.c_str());
    const bool isFile =
        attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_DIRECTORY) == 0;
    FileSink sink(made->file.get());
    const bool whole = content.WriteTo(sink);
    if (whole && ::FlushFileBuffers(made->file.get()) &&
        (!isFile || TakeOverAccessList(made->target, made->file.get()))) {
        staged = std::move(made);
        return {};
    }
    // The content stopped by itself when the file took every piece.
    return !whole && sink.error == 0 ? ReplaceOutcome{ReplaceResult::BadContent, 0}
                                     : Failure(sink.error != 0 ? sink.error : ::GetLastError());
}

// What a rename over `name` that ended with `error` means: the system refuses to replace a
// file that another program holds open with ERROR_ACCESS_DENIED, without saying why.
ReplaceOutcome RenameOutcome(DWORD error, const std::wstring& name) {
    if (error == ERROR_SUCCESS) {
        return {};
    }
    return ProbeExisting(name).result == ReplaceResult::TargetInUse
               ? ReplaceOutcome{ReplaceResult::TargetInUse, error}
               : Failure(error);
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
    // (A target taken by another program since it was found free is reported in use.)
    return RenameOutcome(
        staged.TakeName(target, exists ? KeptAttributes(attributes) : FILE_ATTRIBUTE_NORMAL),
        target);
}

ReplaceOutcome PutAsRestartCopyUnchecked(Win32StagedFile& staged, const std::string& copyPath) {
    const std::wstring copy = ExtendedPath(copyPath);
    if (copy.empty()) {
        return Failure(::GetLastError());
    }
    const DWORD targetAttributes = ::GetFileAttributesW(staged.target.c_str());
    // An earlier copy may be hidden or read-only, which would refuse the rename over it.
    ::SetFileAttributesW(copy.c_str(), FILE_ATTRIBUTE_NORMAL);
    const DWORD error = staged.TakeName(copy, targetAttributes == INVALID_FILE_ATTRIBUTES
                                                  ? FILE_ATTRIBUTE_NORMAL
                                                  : KeptAttributes(targetAttributes));
    return RenameOutcome(error, copy);
}

constexpr char kSessionManager[] = "SYSTEM\\CurrentControlSet\\Control\\Session Manager";
constexpr wchar_t kPendingRenames[] = L"PendingFileRenameOperations";

// The system's list of renames for the next restart, as it is stored: pairs of wide names
// "\??\from", "!\??\to" ("!" when an existing target is replaced), or "\??\from", "" for a
// file deleted then, and an empty name at the end. `type` is 0 when there is none.
struct PendingList {
    DWORD type = 0;
    std::vector<std::uint8_t> bytes;
    bool operator==(const PendingList&) const = default;
};

// False when the list could not be read.
bool ReadPendingList(HKEY key, PendingList& list) {
    for (int attempt = 0; attempt < 4; ++attempt) {
        DWORD size = 0;
        LONG status = ::RegQueryValueExW(key, kPendingRenames, nullptr, &list.type, nullptr, &size);
        if (status == ERROR_FILE_NOT_FOUND) {
            list = {};
            return true;
        }
        list.bytes.assign(size, 0);
        if (status == ERROR_SUCCESS && size > 0) {
            status = ::RegQueryValueExW(key, kPendingRenames, nullptr, &list.type,
                                        list.bytes.data(), &size);
        }
        if (status != ERROR_MORE_DATA) {  // else it grew in between
            list.bytes.resize(size);
            return status == ERROR_SUCCESS;
        }
    }
    return false;
}

// Where the name that starts at byte `at` ends: at its NUL, or at the end of the list.
std::size_t NameEnd(const std::vector<std::uint8_t>& bytes, std::size_t at) {
    while (at + 1 < bytes.size() && (bytes[at] != 0 || bytes[at + 1] != 0)) {
        at += 2;
    }
    return std::min(at, bytes.size() & ~std::size_t{1});
}

bool NamesFile(const std::vector<std::uint8_t>& bytes, std::size_t begin, std::size_t end,
               const std::wstring& name) {
    if (end - begin != name.size() * sizeof(wchar_t)) {
        return false;
    }
    std::wstring entry((end - begin) / sizeof(wchar_t), L'\0');
    std::memcpy(entry.data(), bytes.data() + begin, end - begin);
    return ::lstrcmpiW(entry.c_str(), name.c_str()) == 0;
}

// The list without the pairs whose first name is `name`, every other byte kept as it was;
// `found` says whether there was such a pair.
std::vector<std::uint8_t> Without(const std::vector<std::uint8_t>& bytes, const std::wstring& name,
                                  bool& found) {
    std::vector<std::uint8_t> kept;
    kept.reserve(bytes.size());
    found = false;
    const std::size_t whole = bytes.size() & ~std::size_t{1};
    std::size_t at = 0;
    while (at < whole) {
        const std::size_t firstEnd = NameEnd(bytes, at);
        if (firstEnd == at) {
            break;  // an empty name where a pair would start: the list's end
        }
        // A deletion's empty second name is part of its pair, not the end.
        const std::size_t pairEnd =
            std::min(NameEnd(bytes, std::min(firstEnd + 2, whole)) + 2, whole);
        if (NamesFile(bytes, at, firstEnd, name)) {
            found = true;
        } else {
            kept.insert(kept.end(), bytes.begin() + at, bytes.begin() + pairEnd);
        }
        at = pairEnd;
    }
    kept.insert(kept.end(), bytes.begin() + at, bytes.end());
    return kept;
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

Status Win32Files::MakeDirectories(const std::string& path) {
    if (path.empty()) {
        return Status(ERROR_PATH_NOT_FOUND);
    }
    if (DirectoryExists(path)) {
        return Status();
    }
    // A parent that cannot be made is the reason, unless the folder can be made all the same
    // (the root of a share is no folder of its own).
    Status parentMade;
    const std::string parent = ParentOf(path);
    if (!parent.empty() && parent != path && !DirectoryExists(parent)) {
        parentMade = MakeDirectories(parent);
    }
    if (::CreateDirectoryA(path.c_str(), nullptr)) {
        return Status();
    }
    const Status made(::GetLastError());
    if (DirectoryExists(path)) {
        return Status();  // made meanwhile by another program
    }
    return parentMade.ok() ? made : parentMade;
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
    const std::wstring source = ExtendedPath(from);
    const std::wstring target = to.empty() ? std::wstring() : ExtendedPath(to);
    if (source.empty() || (!to.empty() && target.empty())) {
        return false;
    }
    return ::MoveFileExW(
               source.c_str(), to.empty() ? nullptr : target.c_str(),
               MOVEFILE_DELAY_UNTIL_REBOOT | (to.empty() ? 0 : MOVEFILE_REPLACE_EXISTING)) != 0;
}

bool Win32Files::WithdrawFromRestart(const std::string& from) {
    // The name as ScheduleAtRestart's MoveFileExW put it in the list.
    const std::wstring extended = ExtendedPath(from);
    if (extended.empty()) {
        return false;
    }
    const std::wstring name = NtPath(extended);
    KeyHandle key;
    const LONG status = ::RegOpenKeyExA(HKEY_LOCAL_MACHINE, kSessionManager, 0,
                                        KEY_QUERY_VALUE | KEY_SET_VALUE, key.put());
    if (status != ERROR_SUCCESS) {
        return status == ERROR_FILE_NOT_FOUND;
    }
    // Another program may change the list while it is edited: what it wrote between the
    // reading and the writing is read again and kept.
    for (int attempt = 0; attempt < 8; ++attempt) {
        PendingList list;
        if (!ReadPendingList(key.get(), list)) {
            return false;
        }
        bool found = false;
        const std::vector<std::uint8_t> kept =
            list.type == REG_MULTI_SZ ? Without(list.bytes, name, found) : list.bytes;
        if (!found) {
            return true;
        }
        PendingList now;
        if (!ReadPendingList(key.get(), now)) {
            return false;
        }
        if (now != list) {
            continue;
        }
        if (std::all_of(kept.begin(), kept.end(), [](std::uint8_t byte) { return byte == 0; })) {
            return ::RegDeleteValueA(key.get(), "PendingFileRenameOperations") == ERROR_SUCCESS;
        }
        return ::RegSetValueExW(key.get(), kPendingRenames, 0, REG_MULTI_SZ, kept.data(),
                                static_cast<DWORD>(kept.size())) == ERROR_SUCCESS;
    }
    return false;
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

Status Win32Files::WriteProfileValue(const std::string& file, const std::string& section,
                                     const std::string& key, const std::string& value) {
    if (::WritePrivateProfileStringA(section.c_str(), key.c_str(), value.c_str(), file.c_str())) {
        return Status();
    }
    const DWORD error = ::GetLastError();
    return Status(error != ERROR_SUCCESS ? error : ERROR_WRITE_FAULT);
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
