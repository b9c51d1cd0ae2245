#pragma once
#include <string>

#include "platform/files.h"

namespace tk::platform::win32 {

class Win32Files final : public Files {
public:
    bool DirectoryExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    Status MakeDirectories(const std::string& path) override;
    Status MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
    ReplaceOutcome StageFileContent(const std::string& path, const FileContent& content,
                                    std::unique_ptr<StagedFile>& staged) override;
    ReplaceOutcome PutInPlace(StagedFile& staged) override;
    ReplaceOutcome PutAsRestartCopy(StagedFile& staged, const std::string& copy) override;
    bool RemoveEmptyFolder(const std::string& path) override;
    bool ReplaceableAtRestart(const std::string& path) override;
    bool ScheduleAtRestart(const std::string& from, const std::string& to) override;
    bool WithdrawFromRestart(const std::string& from) override;
    void RemoveLeftovers(const std::string& folder) override;
    Status WriteProfileValue(const std::string& file, const std::string& section,
                             const std::string& key, const std::string& value) override;
    std::uint32_t ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                std::string& shortPath) override;
    std::uint32_t LongPathName(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath) override;
    std::string FullPathName(const std::string& path) override;
};

}  // namespace tk::platform::win32
