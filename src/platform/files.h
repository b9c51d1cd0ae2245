#pragma once
// File-system operations the installer needs. Paths are code page 1254 strings with
// backslashes; the Win32 implementation passes them to the ANSI entry points unchanged.
#include <cstdint>
#include <memory>
#include <span>
#include <string>

#include "platform/errors.h"

namespace tk::platform {

// Outcome of writing a whole file in one step.
enum class ReplaceResult {
    Replaced,      // the target now holds exactly the new bytes
    ReadOnly,      // the target is read-only; it was left untouched
    WriteFailed,   // the new bytes could not be written (a missing folder, another error:
                   // see the error number); an existing target was left untouched and no
                   // temporary file remains
    TargetInUse,   // another program holds the target open; it was left untouched
    DiskFull,      // as WriteFailed, because the disk is full
    AccessDenied,  // as WriteFailed, because access was denied (or a folder has the name)
    BadContent,    // as WriteFailed, because the content itself could not be made whole
};

// A ReplaceResult with the system's error number behind it (0 where there is none).
struct ReplaceOutcome {
    ReplaceResult result = ReplaceResult::Replaced;
    std::uint32_t error = 0;
    bool operator==(ReplaceResult other) const { return result == other; }
};

// Takes a file's new content piece by piece, in order.
class ByteSink {
public:
    // False when the piece could not be written.
    virtual bool Write(std::span<const std::uint8_t> piece) = 0;

protected:
    ~ByteSink() = default;
};

// A file's new content, made piece by piece while the file is written (a stream inflated on
// the way, say), so that it never has to be held whole in memory.
class FileContent {
public:
    // Hands the whole content to `sink` in order; false when it stopped before its end,
    // because the sink refused a piece or because the content could not be made whole.
    virtual bool WriteTo(ByteSink& sink) const noexcept = 0;

protected:
    ~FileContent() = default;
};

// Content that is in memory already.
class StoredContent final : public FileContent {
public:
    explicit StoredContent(std::span<const std::uint8_t> bytes) : bytes_(bytes) {}
    bool WriteTo(ByteSink& sink) const noexcept override { return sink.Write(bytes_); }

private:
    std::span<const std::uint8_t> bytes_;
};

// A file's new content, written in full and flushed beside its target, that nothing has
// put in place yet. Dropping it removes the written file.
class StagedFile {
public:
    virtual ~StagedFile() = default;
};

class Files {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~Files() = default;

public:
    virtual bool DirectoryExists(const std::string& path) = 0;
    virtual bool FileExists(const std::string& path) = 0;
    // Creates the folder together with any missing parents: success when it exists
    // afterwards, or else the error of the first folder that could not be made.
    virtual Status MakeDirectories(const std::string& path) = 0;
    // CreateDirectoryA without security attributes (kAlreadyExists when it already existed).
    virtual Status MakeDirectory(const std::string& path) = 0;
    virtual bool RemoveFile(const std::string& path) = 0;
    virtual bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) = 0;
    // Writes the content into a new temporary file beside `path`, flushed, with the
    // attributes-to-be and the access list of the file now at `path` when there is one.
    // Nothing at `path` changes yet: the written file waits in `staged` until PutInPlace or
    // PutAsRestartCopy takes it, and is removed when `staged` goes unused. From its writing
    // until it takes its name, no other process can open it for writing, rename or delete
    // it. Content that stops before its end (BadContent) leaves no temporary file.
    virtual ReplaceOutcome StageFileContent(const std::string& path, const FileContent& content,
                                            std::unique_ptr<StagedFile>& staged) = 0;
    // Moves the staged file over its target in one step, so the target is never seen half
    // written; a read-only target, a folder or a target that another program holds open is
    // left untouched, and the staged file stays for PutAsRestartCopy.
    virtual ReplaceOutcome PutInPlace(StagedFile& staged) = 0;
    // Moves the staged file over `copy`, the file that replaces its target at the next
    // restart, with the attributes that the target has now (which that move carries over).
    virtual ReplaceOutcome PutAsRestartCopy(StagedFile& staged, const std::string& copy) = 0;
    // Deletes the folder when it is empty (RemoveDirectoryA); true when it is gone.
    virtual bool RemoveEmptyFolder(const std::string& path) = 0;

    // The content written beside the target and put over it at once.
    ReplaceOutcome ReplaceFileContent(const std::string& path, const FileContent& content);
    ReplaceOutcome ReplaceFileContent(const std::string& path,
                                      std::span<const std::uint8_t> bytes) {
        return ReplaceFileContent(path, StoredContent(bytes));
    }
    // Writes `copy`, the file that replaces `target` at the next restart, the same way,
    // with the access list and the attributes that `target` has now.
    ReplaceOutcome WriteRestartCopy(const std::string& copy, const std::string& target,
                                    const FileContent& content);
    ReplaceOutcome WriteRestartCopy(const std::string& copy, const std::string& target,
                                    std::span<const std::uint8_t> bytes) {
        return WriteRestartCopy(copy, target, StoredContent(bytes));
    }
    // Whether the system can move a file over `path` while it starts: not on a network or
    // substituted drive, which does not exist yet at that point.
    virtual bool ReplaceableAtRestart(const std::string& path) = 0;
    // The system's restart list is shared with every other program; these two add and take
    // out entries of one name and hold no policy of their own.
    // MoveFileEx with MOVEFILE_DELAY_UNTIL_REBOOT: at the next restart `from` replaces `to`
    // (MOVEFILE_REPLACE_EXISTING), or is deleted when `to` is empty. Appends to the list;
    // never looks at what is already there. True when it was added.
    virtual bool ScheduleAtRestart(const std::string& from, const std::string& to) = 0;
    // Takes every entry that renames or deletes `from` out of the list, read and written
    // through the wide-character calls: every other entry stays byte for byte, and the list
    // is read again right before it is written, so nothing another program added meanwhile
    // is dropped. True when no such entry is left.
    virtual bool WithdrawFromRestart(const std::string& from) = 0;
    // Removes the temporary files that an earlier run, ended before it could tidy up, left
    // in the folder (named as StageFileContent names its own).
    virtual void RemoveLeftovers(const std::string& folder) = 0;
    // WritePrivateProfileStringA: sets one key, keeps the rest of the file.
    virtual Status WriteProfileValue(const std::string& file, const std::string& section,
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
