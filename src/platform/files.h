#pragma once
// File-system operations the installer needs. Paths are code page 1254 strings with
// backslashes; the Win32 implementation passes them to the ANSI entry points unchanged.
#include <cstdint>
#include <span>
#include <string>

namespace tk::platform {

// Outcome of writing a whole file in one step.
enum class ReplaceResult {
    Replaced,     // the target now holds exactly the new bytes
    TargetBusy,   // the target is read-only or a folder; it was left untouched
    WriteFailed,  // the new bytes could not be written (folder missing, access denied, ...);
                  // an existing target was left untouched and no temporary file remains
    TargetInUse,  // another program holds the target open; it was left untouched
    DiskFull,     // as WriteFailed, because the disk is full
};

class Files {
public:
    virtual ~Files() = default;

    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Creates the folder together with any missing parents; true when it exists afterwards.
    virtual bool MakeDirectories(const std::string& path) = 0;
    // CreateDirectoryA without security attributes; returns the thread's last error after
    // the call (0 on success, 183 when it already existed).
    virtual std::uint32_t MakeDirectory(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Writes the bytes into a new temporary file beside the target and moves it over the
    // target in one step, so the target is never seen half written.
    virtual ReplaceResult ReplaceFileContent(const std::string& path,
                                             std::span<const std::uint8_t> bytes) = 0;
    // Creates or overwrites a hidden file with exactly these bytes, flushed to the disk.
    virtual bool WriteHiddenFile(const std::string& path, std::span<const std::uint8_t> bytes) = 0;
    // MoveFileExA with MOVEFILE_DELAY_UNTIL_REBOOT | MOVEFILE_REPLACE_EXISTING: `from`
    // replaces `to` at the next restart. A rename of `from` over `to` that is already
    // pending is not added a second time. True when it is pending.
    virtual bool ReplaceAtRestart(const std::string& from, const std::string& to) = 0;
    // WritePrivateProfileStringA: sets one key, keeps the rest of the file.
    virtual bool WriteProfileValue(const std::string& file, const std::string& section,
                                   const std::string& key, const std::string& value) = 0;
    // GetShortPathNameA with a buffer of bufferSize characters; the raw return value
    // (the length, or 0 on failure) and the text.
    virtual std::uint32_t ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                        std::string& shortPath) = 0;
    // GetLongPathNameA (looked up at run time) with a buffer of bufferSize characters; the
    // raw return value (0 also when the service is missing) and the text.
    virtual std::uint32_t LongPathName(const std::string& path, std::uint32_t bufferSize,
                                       std::string& longPath) = 0;
    // GetFullPathNameA: the path made absolute against the current folder and drive; empty
    // when the system cannot.
    virtual std::string FullPathName(const std::string& path) = 0;
};

}  // namespace tk::platform
