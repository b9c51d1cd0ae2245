#pragma once
// An in-memory file system. Folder paths are kept without a trailing backslash.
#include <map>
#include <set>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tk::fakes {

class FakeFiles : public platform::Files {
public:
    using Bytes = std::vector<std::uint8_t>;

    std::set<std::string> directories;
    std::map<std::string, Bytes> files;
    std::set<std::string> busyFiles;    // read-only: never replaced
    std::set<std::string> inUseFiles;   // held open by another program
    std::set<std::string> lockedFiles;  // held by a LockedFile: neither replaced nor removed
    std::set<std::string> hiddenFiles;
    bool restartRenameFails = false;
    bool restartListUnwritable = false;  // pending renames can be neither added nor removed
    // The system's restart list in order: a file that replaces another, or one deleted
    // (an empty second name).
    std::vector<std::pair<std::string, std::string>> restartList;
    std::set<std::string> remoteDrives;        // "N:": nothing moves there at restart
    std::set<std::string> uncreatableFolders;  // making these, or below them, is denied
    bool diskFull = false;
    int roomForFiles = -1;  // staged files that fit before the disk is full; -1: no limit
    std::set<std::string> throwingFiles;   // writing these throws std::bad_alloc
    std::set<std::string> vanishingFiles;  // reported written, but gone at once (a scanner)
    std::set<std::string> unwritableProfiles;
    // profiles[file][section][key] = value
    std::map<std::string, std::map<std::string, std::map<std::string, std::string>>> profiles;
    std::map<std::string, std::string> shortNames;  // long path -> short path
    std::map<std::string, std::string> longNames;   // path -> long path
    std::string currentFolder = "C:\\";             // relative paths are taken from here
    std::vector<std::string>* log = nullptr;        // shared call log, when set

    static std::string Normal(std::string path);
    void AddDirectoryTree(const std::string& path);
    std::string Text(const std::string& path) const;

    bool DirectoryExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    platform::Status MakeDirectories(const std::string& path) override;
    platform::Status MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
    // A staged file waits in `files` as "tk~N.tmp" beside its target.
    platform::ReplaceOutcome StageFileContent(
        const std::string& path, const platform::FileContent& content,
        std::unique_ptr<platform::StagedFile>& staged) override;
    platform::ReplaceOutcome PutInPlace(platform::StagedFile& staged) override;
    platform::ReplaceOutcome PutAsRestartCopy(platform::StagedFile& staged,
                                              const std::string& copy) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool ReplaceableAtRestart(const std::string& path) override;
    bool ScheduleAtRestart(const std::string& from, const std::string& to) override;
    bool WithdrawFromRestart(const std::string& from) override;
    // Carries out the restart list in order, as the system does when it starts: a rename
    // of a file that is gone fails and leaves its target as it was.
    void Restart();
    void RemoveLeftovers(const std::string& folder) override;
    platform::Status WriteProfileValue(const std::string& file, const std::string& section,
                                       const std::string& key, const std::string& value) override;
    std::uint32_t ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                std::string& shortPath) override;
    std::uint32_t LongPathName(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath) override;
    std::string FullPathName(const std::string& path) override;

private:
    void Log(const std::string& entry);
    int temporaries_ = 0;
    bool ParentExists(const std::string& path) const;
};

}  // namespace tk::fakes
