#include "install/extraction.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "install/inflate.h"
#include "platform/paths.h"

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
        case platform::ReplaceResult::BadContent:
            return FileShortfall::Damaged;  // never installed as it is
        case platform::ReplaceResult::TargetInUse:
            return FileShortfall::InUse;
        case platform::ReplaceResult::ReadOnly:
            return FileShortfall::ReadOnly;
        case platform::ReplaceResult::DiskFull:
            return FileShortfall::DiskFull;
        case platform::ReplaceResult::AccessDenied:
            return FileShortfall::AccessDenied;
        default:
            return FileShortfall::OtherError;
    }
}

// A payload file's content: its stream inflated on the way into the file, or its stored
// bytes as they are.
class PayloadContent final : public platform::FileContent {
public:
    PayloadContent(std::span<const std::uint8_t> stored, bool inflate)
        : stored_(stored), inflate_(inflate) {}
    bool WriteTo(platform::ByteSink& sink) const noexcept override {
        return inflate_ ? InflateInto(stored_, sink) : sink.Write(stored_);
    }

private:
    std::span<const std::uint8_t> stored_;
    bool inflate_;
};

}  // namespace

PayloadExtractor::PayloadExtractor(platform::Files& files, platform::Resources& resources,
                                   ProgressReporter& progress,
                                   std::span<const PayloadEntry> catalogue,
                                   std::span<const PayloadEntry> clientLanguages)
    : files_(files),
      resources_(resources),
      progress_(progress),
      catalogue_(catalogue),
      clientLanguages_(clientLanguages) {}

ExtractOutcome PayloadExtractor::ExtractPayload(int id, const std::string& installFolder,
                                                const std::string& dataFolder,
                                                EditionCode edition) {
    progress_.EntryReached();
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
    // False when the stream is damaged: it announces itself as zlib but does not inflate
    // whole. A missing resource fails its own file later; raw names are never inflated,
    // and stored bytes without a zlib header are a raw payload.
    const auto intact = [&](int id, const std::string& path) {
        progress_.KeepResponsive();
        const auto raw = resources_.RawData(id);
        return !raw || IsRawName(path) || !HasZlibHeader(*raw) || InflatesCompletely(*raw);
    };
    bool damaged = false;
    for (const PayloadEntry& entry : catalogue_) {
        const auto placed = Place(std::string(entry.entry), edition);
        damaged = damaged || (placed && !intact(entry.id, placed->path));
    }
    for (const PayloadEntry& language : clientLanguages_) {
        damaged = damaged ||
                  (edition == kClientEdition && !intact(language.id, std::string(language.entry)));
    }
    return damaged;
}

ExtractOutcome PayloadExtractor::ExtractClientLanguage(int id, const std::string& /*installFolder*/,
                                                       const std::string& dataFolder) {
    progress_.EntryReached();
    const auto found = Lookup(clientLanguages_, id);
    if (!found) {
        return ExtractOutcome::Failed;
    }
    return WriteResource(id, std::string(*found), dataFolder);
}

ExtractOutcome PayloadExtractor::WriteResource(int id, const std::string& relativePath,
                                               const std::string& base) {
    const std::string target = base + relativePath;
    // Whatever goes wrong with this one file (memory, an exception from a platform call)
    // fails this file only.
    try {
        const std::string folder = FolderOf(target);
        if (!folder.empty() && !files_.DirectoryExists(folder)) {
            files_.MakeDirectories(folder);  // a failure shows when the file is written
        }
        progress_.CurrentFile(FileNameOf(target));

        const auto raw = resources_.RawData(id);
        if (!raw) {
            return Note(target, FileShortfall::NotInProgram, false);
        }
        // The file is written once, already in its final form: inflated on the way, or the
        // stored bytes when they are no zlib stream or the name is one of the raw names.
        const PayloadContent content(*raw, !IsRawName(relativePath) && HasZlibHeader(*raw));
        // Temporary files of an earlier run that was ended before it could tidy up.
        if (std::find(tidiedFolders_.begin(), tidiedFolders_.end(), folder) ==
            tidiedFolders_.end()) {
            files_.RemoveLeftovers(folder);
            tidiedFolders_.push_back(folder);
        }
        const platform::ReplaceOutcome written = files_.ReplaceFileContent(target, content);
        if (written == platform::ReplaceResult::Replaced) {
            return DiscardRestartCopy(target, content);
        }
        if (written == platform::ReplaceResult::TargetInUse) {
            return ScheduleForRestart(target, content);
        }
        return Note(target, ShortfallOf(written.result), false, written.error);
    } catch (...) {
        return Note(target, FileShortfall::Unexpected, false);
    }
}

ExtractOutcome PayloadExtractor::Note(const std::string& path, FileShortfall why, bool scheduled,
                                      std::uint32_t error) {
    notes_.push_back(FileNote{path, why, scheduled, error});
    return scheduled ? ExtractOutcome::Scheduled : ExtractOutcome::Failed;
}

// The new content waits beside the target in a copy that the system moves over it at the
// next restart. The copy is complete on disk before its rename is registered, so no restart
// ever moves a half-written copy.
ExtractOutcome PayloadExtractor::ScheduleForRestart(const std::string& target,
                                                    const platform::FileContent& content) {
    const std::string copy = PendingCopyOf(target);
    if (copy.empty()) {
        return Note(target, FileShortfall::InUse, false);
    }
    if (!files_.ReplaceableAtRestart(target)) {
        return Note(target, FileShortfall::NoRestartHere, false);
    }
    const platform::ReplaceOutcome written = files_.WriteRestartCopy(copy, target, content);
    if (written != platform::ReplaceResult::Replaced) {
        // An older copy that cannot be brought up to date must not win at the restart.
        if (files_.FileExists(copy) && files_.CancelReplaceAtRestart(copy, target)) {
            files_.RemoveFileNowOrAtRestart(copy);
        }
        return Note(target, ShortfallOf(written.result), false, written.error);
    }
    if (!files_.ReplaceAtRestart(copy, target)) {
        files_.RemoveFile(copy);
        return Note(target, FileShortfall::InUse, false);
    }
    return Note(target, FileShortfall::InUse, true);
}

// The target holds the new content now: a copy that an earlier install left for the
// restart is older, and must not be moved over it then. Its rename is taken out of the
// system's list and the copy removed; where the rename must stay, the copy is brought up to
// date instead.
ExtractOutcome PayloadExtractor::DiscardRestartCopy(const std::string& target,
                                                    const platform::FileContent& content) {
    const std::string copy = PendingCopyOf(target);
    if (copy.empty() || !files_.FileExists(copy)) {
        return ExtractOutcome::Written;
    }
    if (files_.CancelReplaceAtRestart(copy, target)) {
        files_.RemoveFileNowOrAtRestart(copy);
        return ExtractOutcome::Written;
    }
    if (files_.RemoveFile(copy) ||
        files_.WriteRestartCopy(copy, target, content) == platform::ReplaceResult::Replaced) {
        return ExtractOutcome::Written;
    }
    return Note(target, FileShortfall::StaleCopy, false);
}

}  // namespace tk::install
