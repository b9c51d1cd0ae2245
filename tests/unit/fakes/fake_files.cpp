#include "fakes/fake_files.h"

#include <algorithm>
#include <memory>
#include <new>
#include <utility>

namespace tk::fakes {

std::string FakeFiles::Normal(std::string path) {
    while (path.size() > 1 && path.back() == '\\') {
        path.pop_back();
    }
    return path;
}

void FakeFiles::Log(const std::string& entry) {
    if (log != nullptr) {
        log->push_back(entry);
    }
}

void FakeFiles::AddDirectoryTree(const std::string& path) {
    std::string current = Normal(path);
    while (!current.empty()) {
        directories.insert(current);
        const auto slash = current.rfind('\\');
        if (slash == std::string::npos) {
            break;
        }
        current = current.substr(0, slash);
    }
}

std::string FakeFiles::Text(const std::string& path) const {
    const auto found = files.find(path);
    return found == files.end() ? std::string()
                                : std::string(found->second.begin(), found->second.end());
}

bool FakeFiles::ParentExists(const std::string& path) const {
    const auto slash = path.rfind('\\');
    return slash != std::string::npos && directories.count(path.substr(0, slash)) != 0;
}

bool FakeFiles::DirectoryExists(const std::string& path) {
    return directories.count(Normal(path)) != 0;
}

bool FakeFiles::FileExists(const std::string& path) {
    return files.count(path) != 0;
}

platform::Status FakeFiles::MakeDirectories(const std::string& path) {
    Log("MakeDirectories " + path);
    const std::string normal = Normal(path);
    for (const std::string& blocked : uncreatableFolders) {
        if (normal.rfind(Normal(blocked), 0) == 0) {
            return platform::kAccessDenied;
        }
    }
    AddDirectoryTree(normal);
    return {};
}

platform::Status FakeFiles::MakeDirectory(const std::string& path) {
    Log("MakeDirectory " + path);
    const std::string normal = Normal(path);
    if (directories.count(normal) != 0) {
        return platform::kAlreadyExists;
    }
    if (uncreatableFolders.count(normal) != 0) {
        return platform::kAccessDenied;
    }
    if (!ParentExists(normal)) {
        return platform::Status(3);
    }
    directories.insert(normal);
    return {};
}

bool FakeFiles::RemoveFile(const std::string& path) {
    Log("RemoveFile " + path);
    if (busyFiles.count(path) != 0 || lockedFiles.count(path) != 0) {
        return false;
    }
    return files.erase(path) != 0;
}

bool FakeFiles::CopyFileTo(const std::string& from, const std::string& to, bool failIfExists) {
    Log("CopyFile " + from + " -> " + to);
    const auto source = files.find(from);
    if (source == files.end() || busyFiles.count(to) != 0 || !ParentExists(to) ||
        (failIfExists && files.count(to) != 0)) {
        return false;
    }
    files[to] = source->second;
    return true;
}

namespace {

class FakeStagedFile final : public platform::StagedFile {
public:
    FakeStagedFile(std::map<std::string, FakeFiles::Bytes>& files, std::string target,
                   std::string temporary)
        : files_(files), target(std::move(target)), temporary(std::move(temporary)) {}
    ~FakeStagedFile() override { files_.erase(temporary); }
    std::map<std::string, FakeFiles::Bytes>& files_;
    std::string target;
    std::string temporary;  // empty once it took another name
};

}  // namespace

platform::ReplaceOutcome FakeFiles::StageFileContent(
    const std::string& path, const platform::FileContent& content,
    std::unique_ptr<platform::StagedFile>& staged) {
    using platform::ReplaceResult;
    Log("Stage " + path);
    if (throwingFiles.count(path) != 0) {
        throw std::bad_alloc();
    }
    if (diskFull || roomForFiles == 0) {
        return {ReplaceResult::DiskFull, 112};
    }
    if (roomForFiles > 0) {
        --roomForFiles;
    }
    if (!ParentExists(path)) {
        return {ReplaceResult::WriteFailed, 3};
    }
    struct Collect final : platform::ByteSink {
        Bytes bytes;
        bool Write(std::span<const std::uint8_t> piece) override {
            bytes.insert(bytes.end(), piece.begin(), piece.end());
            return true;
        }
    } collected;
    if (!content.WriteTo(collected)) {
        return {ReplaceResult::BadContent, 0};
    }
    const std::string temporary =
        path.substr(0, path.rfind('\\') + 1) + "tk~" + std::to_string(++temporaries_) + ".tmp";
    files[temporary] = std::move(collected.bytes);
    staged = std::make_unique<FakeStagedFile>(files, path, temporary);
    return {};
}

platform::ReplaceOutcome FakeFiles::PutInPlace(platform::StagedFile& staged) {
    using platform::ReplaceResult;
    auto& file = static_cast<FakeStagedFile&>(staged);
    const std::string& path = file.target;
    Log("Replace " + path);
    if (inUseFiles.count(path) != 0 || lockedFiles.count(path) != 0) {
        return {ReplaceResult::TargetInUse, 32};
    }
    if (busyFiles.count(path) != 0) {
        return {ReplaceResult::ReadOnly, 5};
    }
    if (directories.count(path) != 0) {
        return {ReplaceResult::AccessDenied, 5};
    }
    Bytes bytes = std::move(files[file.temporary]);
    files.erase(file.temporary);
    file.temporary.clear();
    if (vanishingFiles.count(path) == 0) {
        files[path] = std::move(bytes);
    }
    return {};
}

platform::ReplaceOutcome FakeFiles::PutAsRestartCopy(platform::StagedFile& staged,
                                                     const std::string& copy) {
    using platform::ReplaceResult;
    auto& file = static_cast<FakeStagedFile&>(staged);
    Log("WriteRestartCopy " + copy);
    if (inUseFiles.count(copy) != 0 || lockedFiles.count(copy) != 0) {
        return {ReplaceResult::TargetInUse, 32};
    }
    if (busyFiles.count(copy) != 0) {
        return {ReplaceResult::ReadOnly, 5};
    }
    files[copy] = std::move(files[file.temporary]);
    files.erase(file.temporary);
    file.temporary.clear();
    if (hiddenFiles.count(file.target) != 0) {
        hiddenFiles.insert(copy);
    } else {
        hiddenFiles.erase(copy);
    }
    return {};
}

bool FakeFiles::RemoveEmptyFolder(const std::string& path) {
    Log("RemoveEmptyFolder " + path);
    const std::string normal = Normal(path);
    const auto inside = [&](const std::string& other) {
        return other.rfind(normal + "\\", 0) == 0;
    };
    if (std::any_of(files.begin(), files.end(), [&](const auto& f) { return inside(f.first); }) ||
        std::any_of(directories.begin(), directories.end(), inside)) {
        return false;
    }
    return directories.erase(normal) != 0;
}

bool FakeFiles::ReplaceableAtRestart(const std::string& path) {
    return path.size() >= 2 && path[1] == ':' && remoteDrives.count(path.substr(0, 2)) == 0;
}

bool FakeFiles::ScheduleAtRestart(const std::string& from, const std::string& to) {
    Log("ScheduleAtRestart " + from + " -> " + to);
    if (restartRenameFails || restartListUnwritable) {
        return false;
    }
    restartList.emplace_back(from, to);
    return true;
}

bool FakeFiles::WithdrawFromRestart(const std::string& from) {
    Log("WithdrawFromRestart " + from);
    const auto named = [&](const auto& entry) { return entry.first == from; };
    if (std::none_of(restartList.begin(), restartList.end(), named)) {
        return true;
    }
    if (restartListUnwritable) {
        return false;
    }
    std::erase_if(restartList, named);
    return true;
}

void FakeFiles::Restart() {
    inUseFiles.clear();
    lockedFiles.clear();
    for (const auto& [from, to] : restartList) {
        const auto found = files.find(from);
        if (found == files.end()) {
            continue;
        }
        if (!to.empty()) {
            files[to] = std::move(found->second);
        }
        files.erase(from);
    }
    restartList.clear();
}

void FakeFiles::RemoveLeftovers(const std::string& folder) {
    Log("RemoveLeftovers " + folder);
    const std::string inside = Normal(folder) + "\\tk~";
    std::erase_if(files, [&](const auto& file) {
        return file.first.rfind(inside, 0) == 0 &&
               file.first.find('\\', inside.size()) == std::string::npos;
    });
}

platform::Status FakeFiles::WriteProfileValue(const std::string& file, const std::string& section,
                                              const std::string& key, const std::string& value) {
    Log("WriteProfile " + file + " [" + section + "] " + key + "=" + value);
    if (unwritableProfiles.count(file) != 0) {
        return platform::kAccessDenied;
    }
    if (!ParentExists(file)) {
        return platform::Status(3);  // ERROR_PATH_NOT_FOUND
    }
    profiles[file][section][key] = value;
    return {};
}

namespace {

// Answers like GetShortPathNameA and GetLongPathNameA: the length on success, the size
// needed when the buffer is too small, 0 when there is no such name.
std::uint32_t AnswerName(const std::map<std::string, std::string>& names, const std::string& path,
                         bool exists, std::uint32_t bufferSize, std::string& answer) {
    answer.clear();
    const auto found = names.find(path);
    if (found == names.end() || !exists) {
        return 0;
    }
    if (found->second.size() >= bufferSize) {
        return static_cast<std::uint32_t>(found->second.size() + 1);
    }
    answer = found->second;
    return static_cast<std::uint32_t>(answer.size());
}

}  // namespace

std::uint32_t FakeFiles::ShortPathName(const std::string& path, std::uint32_t bufferSize,
                                       std::string& shortPath) {
    return AnswerName(shortNames, path, FileExists(path) || DirectoryExists(path), bufferSize,
                      shortPath);
}

std::uint32_t FakeFiles::LongPathName(const std::string& path, std::uint32_t bufferSize,
                                      std::string& longPath) {
    return AnswerName(longNames, path, true, bufferSize, longPath);
}

// Enough of GetFullPathNameA for the installer's use: "X:\..." and "\\server\..." stay,
// anything else is taken from the current folder.
std::string FakeFiles::FullPathName(const std::string& path) {
    const bool absolute =
        (path.size() >= 3 && path[1] == ':' && path[2] == '\\') || path.rfind("\\\\", 0) == 0;
    return absolute ? path : currentFolder + path;
}

}  // namespace tk::fakes
