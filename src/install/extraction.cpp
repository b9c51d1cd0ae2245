#include "install/extraction.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "install/inflate.h"
#include "install/paths.h"

namespace tk::install {
namespace {

std::optional<std::string_view> Lookup(std::span<const PayloadEntry> list, int id) {
    const auto found =
        std::find_if(list.begin(), list.end(), [id](const PayloadEntry& e) { return e.id == id; });
    if (found == list.end()) {
        return std::nullopt;
    }
    return found->entry;
}

// These two files are stored as they are, never inflated.
bool IsRawName(const std::string& relativePath) {
    return relativePath == "datax\\autoset.dat" || relativePath == "datax\\mred.dat";
}

struct Placement {
    std::string path;  // relative, markers removed
    bool inDataFolder = false;
};

// Where this edition installs a catalogue entry, or nothing when it does not install it.
std::optional<Placement> Place(std::string entry, EditionCode edition) {
    const bool forClient = !entry.empty() && entry.front() == '+';
    if (edition == kClientEdition && !forClient) {
        return std::nullopt;
    }
    if (forClient) {
        entry.erase(0, 1);
    }
    const bool inDataFolder = !entry.empty() && entry.front() == '-';
    if (inDataFolder) {
        entry.erase(0, 1);
    }
    return Placement{std::move(entry), inDataFolder};
}

// A stream that announces itself as zlib but does not inflate whole is damage; stored
// bytes without that header are a raw payload.
bool IsDamaged(std::span<const std::uint8_t> bytes) {
    return HasZlibHeader(bytes) && !InflatesCompletely(bytes);
}

// The one hidden file beside a target that waits to replace it at the next restart. Its
// name depends only on the target, so installing again renews it instead of adding another.
// Empty when it would not fit in the 259 characters a path may have.
std::string PendingCopyOf(const std::string& target) {
    const auto slash = target.rfind('\\');
    const std::string copy = target.substr(0, slash + 1) + "~" +
                             target.substr(slash == std::string::npos ? 0 : slash + 1);
    return copy.size() <= 259 ? copy : std::string();
}

FileShortfall ShortfallOf(platform::ReplaceResult result) {
    switch (result) {
        case platform::ReplaceResult::TargetInUse:
            return FileShortfall::InUse;
        case platform::ReplaceResult::TargetBusy:
            return FileShortfall::ReadOnly;
        case platform::ReplaceResult::DiskFull:
            return FileShortfall::DiskFull;
        default:
            return FileShortfall::NotWritable;
    }
}

}  // namespace

PayloadExtractor::PayloadExtractor(platform::Files& files, platform::Resources& resources,
                                   platform::ProgressView& view,
                                   std::span<const PayloadEntry> catalogue,
                                   std::span<const PayloadEntry> clientLanguages)
    : files_(files),
      resources_(resources),
      view_(view),
      catalogue_(catalogue),
      clientLanguages_(clientLanguages) {}

void PayloadExtractor::StepProgress() {
    view_.ProcessMessages();
    view_.SetProgressPosition(std::min(view_.ProgressPosition() + 1, view_.ProgressMax()));
}

ExtractOutcome PayloadExtractor::ExtractPayload(int id, const std::string& installFolder,
                                                const std::string& dataFolder,
                                                EditionCode edition) {
    StepProgress();
    const auto found = Lookup(catalogue_, id);
    if (!found) {
        return ExtractOutcome::Failed;
    }
    const auto placed = Place(std::string(*found), edition);
    if (!placed) {
        return ExtractOutcome::NotForEdition;
    }
    return WriteResource(id, placed->path, placed->inDataFolder ? dataFolder : installFolder);
}

bool PayloadExtractor::PayloadDamaged(EditionCode edition) {
    std::vector<std::pair<int, std::string>> streams;
    for (const PayloadEntry& entry : catalogue_) {
        if (auto placed = Place(std::string(entry.entry), edition)) {
            streams.emplace_back(entry.id, std::move(placed->path));
        }
    }
    if (edition == kClientEdition) {
        for (const PayloadEntry& language : clientLanguages_) {
            streams.emplace_back(language.id, std::string(language.entry));
        }
    }
    for (const auto& [id, path] : streams) {
        view_.ProcessMessages();
        const auto raw = resources_.RawData(id);
        // A missing resource fails its own file later; raw names are never inflated.
        if (raw && !IsRawName(path) && IsDamaged(*raw)) {
            return true;
        }
    }
    return false;
}

ExtractOutcome PayloadExtractor::ExtractClientLanguage(int id, const std::string& /*installFolder*/,
                                                       const std::string& dataFolder) {
    StepProgress();
    const auto found = Lookup(clientLanguages_, id);
    if (!found) {
        return ExtractOutcome::Failed;
    }
    return WriteResource(id, std::string(*found), dataFolder);
}

ExtractOutcome PayloadExtractor::WriteResource(int id, const std::string& relativePath,
                                               const std::string& base) {
    const std::string target = base + relativePath;
    // Whatever goes wrong with this one file (memory while inflating, an exception from a
    // platform call) fails this file only.
    try {
        const std::string folder = FolderOf(target);
        if (!folder.empty() && !files_.DirectoryExists(folder)) {
            files_.MakeDirectories(folder);  // a failure shows when the file is written
        }
        view_.SetCurrentFileText(FileNameOf(target));
        view_.ProcessMessages();

        const auto raw = resources_.RawData(id);
        if (!raw) {
            return Note(target, FileShortfall::NotInProgram, false);
        }
        // The file is written once, already in its final form: inflated, or the stored
        // bytes when they are no zlib stream or the name is one of the raw names.
        std::optional<ByteBuffer> inflated;
        if (!IsRawName(relativePath) && HasZlibHeader(*raw)) {
            inflated = InflateZlib(*raw);
            if (!inflated) {
                return Note(target, FileShortfall::Damaged, false);  // never installed as it is
            }
        }
        const std::span<const std::uint8_t> content =
            inflated ? std::span<const std::uint8_t>(*inflated) : *raw;
        const platform::ReplaceResult result = files_.ReplaceFileContent(target, content);
        if (result == platform::ReplaceResult::Replaced) {
            // A copy an earlier install left for the restart is older than the target now.
            if (const std::string copy = PendingCopyOf(target); files_.FileExists(copy)) {
                files_.RemoveFile(copy);
            }
            return ExtractOutcome::Written;
        }
        const bool scheduled =
            result == platform::ReplaceResult::TargetInUse && ScheduleForRestart(target, content);
        return Note(target, ShortfallOf(result), scheduled);
    } catch (...) {
        return Note(target, FileShortfall::Unexpected, false);
    }
}

ExtractOutcome PayloadExtractor::Note(const std::string& path, FileShortfall why, bool scheduled) {
    notes_.push_back(FileNote{path, why, scheduled});
    return scheduled ? ExtractOutcome::Scheduled : ExtractOutcome::Failed;
}

bool PayloadExtractor::ScheduleForRestart(const std::string& target,
                                          std::span<const std::uint8_t> content) {
    const std::string copy = PendingCopyOf(target);
    if (copy.empty()) {
        return false;
    }
    if (files_.WriteHiddenFile(copy, content) && files_.ReplaceAtRestart(copy, target)) {
        return true;
    }
    files_.RemoveFile(copy);
    return false;
}

}  // namespace tk::install
