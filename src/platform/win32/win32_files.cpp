#include "platform/win32/win32_files.h"

#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/win32/handles.h"

namespace tk::platform::win32 {
namespace {

std::string ParentOf(std::string path) {
    while (!path.empty() && path.back() == '\\') {
        path.pop_back();
    }
    const auto slash = path.rfind('\\');
    return slash == std::string::npos ? std::string() : path.substr(0, slash);
}

bool WriteAll(HANDLE file, std::span<const std::uint8_t> bytes) {
    std::size_t done = 0;
    while (done < bytes.size()) {
        const DWORD chunk =
            static_cast<DWORD>(std::min<std::size_t>(bytes.size() - done, 1u << 20));
        DWORD written = 0;
        if (!::WriteFile(file, bytes.data() + done, chunk, &written, nullptr) || written == 0) {
            return false;
        }
        done += written;
    }
    return true;
}

bool InUse(DWORD error) {
    return error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION;
}

bool DiskFull(DWORD error) {
    return error == ERROR_DISK_FULL || error == ERROR_HANDLE_DISK_FULL;
}

// True when the system's list of renames for the next restart already moves `from` over
// `to` (the list holds pairs "\??\from", "!\??\to"; "!" when an existing target is
// replaced).
bool RenamePending(const std::string& from, const std::string& to) {
    HKEY opened = nullptr;
    if (::RegOpenKeyExA(HKEY_LOCAL_MACHINE, "SYSTEM\\CurrentControlSet\\Control\\Session Manager",
                        0, KEY_QUERY_VALUE, &opened) != ERROR_SUCCESS) {
        return false;
    }
    const RegistryKey key(opened);
    DWORD type = 0;
    DWORD size = 0;
    if (::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, &type, nullptr,
                           &size) != ERROR_SUCCESS ||
        type != REG_MULTI_SZ) {
        return false;
    }
    std::vector<char> list(size + 2, '\0');
    if (::RegQueryValueExA(key.get(), "PendingFileRenameOperations", nullptr, nullptr,
                           reinterpret_cast<BYTE*>(list.data()), &size) != ERROR_SUCCESS) {
        return false;
    }
    const auto same = [](std::string text, const std::string& path) {
        if (!text.empty() && text.front() == '!') {
            text.erase(0, 1);
        }
        return text.rfind("\\??\\", 0) == 0 && ::lstrcmpiA(text.c_str() + 4, path.c_str()) == 0;
    };
    std::vector<std::string> entries;
    for (const char* at = list.data(); at < list.data() + size && *at != '\0';
         at += entries.back().size() + 1) {
        entries.emplace_back(at);
    }
    for (std::size_t i = 0; i + 1 < entries.size(); i += 2) {
        if (same(entries[i], from) && same(entries[i + 1], to)) {
            return true;
        }
    }
    return false;
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

std::uint32_t Win32Files::MakeDirectory(const std::string& path) {
    ::SetLastError(0);
    ::CreateDirectoryA(path.c_str(), nullptr);
    return ::GetLastError();
}

bool Win32Files::RemoveFile(const std::string& path) {
    return ::DeleteFileA(path.c_str()) != 0;
}

bool Win32Files::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    return ::CopyFileA(from.c_str(), to.c_str(), failIfExists ? TRUE : FALSE) != 0;
}

ReplaceResult Win32Files::ReplaceFileContent(const std::string& path,
                                             std::span<const std::uint8_t> bytes) {
    const DWORD attributes = ::GetFileAttributesA(path.c_str());
    const bool exists = attributes != INVALID_FILE_ATTRIBUTES;
    if (exists) {
        // A read-only file or a folder is never replaced, and neither is a file that
        // another program holds open: opening it for writing without sharing tells.
        if ((attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY)) != 0) {
            return ReplaceResult::TargetBusy;
        }
        FileHandle probe(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, OPEN_EXISTING,
                                       FILE_ATTRIBUTE_NORMAL, nullptr));
        if (!probe) {
            const DWORD error = ::GetLastError();
            return InUse(error)                   ? ReplaceResult::TargetInUse
                   : error == ERROR_ACCESS_DENIED ? ReplaceResult::WriteFailed
                                                  : ReplaceResult::TargetBusy;
        }
    }

    std::string folder = ParentOf(path);
    if (folder.empty()) {
        folder = ".";
    }
    char temporary[MAX_PATH + 1] = {};
    if (::GetTempFileNameA(folder.c_str(), "tk~", 0, temporary) == 0) {
        return ReplaceResult::WriteFailed;
    }
    bool written = false;
    {
        FileHandle file(::CreateFileA(temporary, GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                      FILE_ATTRIBUTE_NORMAL, nullptr));
        written = file && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
    }
    if (!written) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary);
        return DiskFull(error) ? ReplaceResult::DiskFull : ReplaceResult::WriteFailed;
    }
    if (!::MoveFileExA(temporary, path.c_str(),
                       MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH)) {
        const DWORD error = ::GetLastError();
        ::DeleteFileA(temporary);
        return InUse(error) ? ReplaceResult::TargetInUse
               : exists     ? ReplaceResult::TargetBusy
                            : ReplaceResult::WriteFailed;
    }
    return ReplaceResult::Replaced;
}

bool Win32Files::WriteHiddenFile(const std::string& path, std::span<const std::uint8_t> bytes) {
    // An existing hidden file can only be overwritten by a create that names the attribute.
    FileHandle file(::CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS,
                                  FILE_ATTRIBUTE_HIDDEN, nullptr));
    return file && WriteAll(file.get(), bytes) && ::FlushFileBuffers(file.get());
}

bool Win32Files::ReplaceAtRestart(const std::string& from, const std::string& to) {
    return RenamePending(from, to) ||
           ::MoveFileExA(from.c_str(), to.c_str(),
                         MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING) != 0;
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
    using GetLongPathNameFn = DWORD(WINAPI*)(LPCSTR, LPSTR, DWORD);
    const HMODULE kernel = ::GetModuleHandleA("kernel32.dll");
    const auto getLongPathName =
        kernel ? reinterpret_cast<GetLongPathNameFn>(
                     reinterpret_cast<void*>(::GetProcAddress(kernel, "GetLongPathNameA")))
               : nullptr;
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
