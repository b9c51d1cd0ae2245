#pragma once
#include "platform/files.h"

namespace tk::platform::win32 {

class Win32Files final : public Files {
public:
    bool DirectoryExists(const std::string& path) override;
    bool FileExists(const std::string& path) override;
    bool MakeDirectories(const std::string& path) override;
    std::uint32_t MakeDirectory(const std::string& path) override;
    bool RemoveFile(const std::string& path) override;
    bool CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) override;
    ReplaceResult ReplaceFileContent(const std::string& path,
                                     std::span<const std::uint8_t> bytes) override;
    bool WriteHiddenFile(const std::string& path, std::span<const std::uint8_t> bytes) override;
    bool ReplaceAtRestart(const std::string& from, const std::string& to) override;
    bool WriteProfileValue(const std::string& file, const std::string& section,
                           const std::string& key, const std::string& value) override;
    std::uint32_t ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                std::string& shortPath) override;
    std::uint32_t LongPathName(const std::string& path, std::uint32_t bufferSize,
                               std::string& longPath) override;
    std::string FullPathName(const std::string& path) override;
};

}  // namespace tk::platform::win32
