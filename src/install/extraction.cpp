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

}  // namespace

bool PayloadExtractor::Content::WriteTo(platform::ByteSink& sink) const noexcept {
    return inflate_ ? InflateInto(stored_, sink) : sink.Write(stored_);
}

bool PayloadExtractor::Content::Damaged() const {
    return inflate_ && !InflatesCompletely(stored_);
}

PayloadExtractor::PayloadExtractor(platform::Files& files, platform::Resources& resources,
                                   ProgressReporter& progress,
                                   std::span<const PayloadEntry> catalogue,
                                   std::span<const PayloadEntry> clientLanguages)
    : files_(files),
      resources_(resources),
      progress_(progress),
      catalogue_(catalogue),
      clientLanguages_(clientLanguages),
      folders_(files),
      entries_(new Entry[catalogue.size() + clientLanguages.size()]) {}

bool PayloadExtractor::ExtractPayload(int id, const std::string& installFolder,
                                      const std::string& dataFolder, EditionCode edition) {
    progress_.EntryReached();
    const auto found = Lookup(catalogue_, id);
    const auto placed = found ? Place(std::string(*found), edition) : std::nullopt;
    return placed && Write(id, placed->path, placed->inDataFolder ? dataFolder : installFolder);
}

bool PayloadExtractor::ExtractClientLanguage(int id, const std::string& /*installFolder*/,
                                             const std::string& dataFolder) {
    progress_.EntryReached();
    const auto found = Lookup(clientLanguages_, id);
    return found && Write(id, std::string(*found), dataFolder);
}

bool PayloadExtractor::Load(Entry& entry, int id, const std::string& relativePath) {
    const auto raw = resources_.RawData(id);
    if (!raw) {
        return false;
    }
    // The file is written once, already in its final form: inflated on the way, or the
    // stored bytes when they are no zlib stream or the name is one of the raw names.
    entry.stored = *raw;
    entry.inflate = !IsRawName(relativePath) && HasZlibHeader(*raw);
    return true;
}

bool PayloadExtractor::Write(int id, const std::string& relativePath, const std::string& base) {
    if (written_ == catalogue_.size() + clientLanguages_.size()) {
        return false;  // an entry asked for twice before the files were put in place
    }
    Entry& entry = entries_[written_++];
    entry.target = base + relativePath;
    entry.why = FileShortfall::Unexpected;
    entry.error = 0;
    platform::ReplaceOutcome written{platform::ReplaceResult::WriteFailed};
    // Whatever goes wrong with this one file (memory, an exception from a platform call)
    // fails this file only.
    try {
        const std::string folder = FolderOf(entry.target);
        folders_.Make(folder);  // a failure shows when the file is written
        progress_.CurrentFile(FileNameOf(entry.target));
        if (!Load(entry, id, relativePath)) {
            entry.why = FileShortfall::NotInProgram;
            return false;
        }
        // Temporary files of an earlier run that was ended before it could tidy up.
        if (std::find(tidiedFolders_.begin(), tidiedFolders_.end(), folder) ==
            tidiedFolders_.end()) {
            files_.RemoveLeftovers(folder);
            tidiedFolders_.push_back(folder);
        }
        written =
            files_.StageFileContent(entry.target, Content(entry.stored, entry.inflate), entry.file);
        if (written == platform::ReplaceResult::Replaced) {
            return true;
        }
        entry.why = ShortfallOf(written.result);
        entry.error = written.error;
    } catch (...) {
    }
    entry.file.reset();
    // A stream that stopped the writing is damaged. One that was not written to its end for
    // another reason is read through by itself, so that a damaged program is found whatever
    // else stopped this file.
    try {
        damaged_ =
            damaged_ || written == platform::ReplaceResult::BadContent ||
            (Load(entry, id, relativePath) && Content(entry.stored, entry.inflate).Damaged());
    } catch (...) {
    }
    return false;
}

void PayloadExtractor::PutInPlace() {
    for (std::size_t i = 0; i < written_; ++i) {
        Entry& entry = entries_[i];
        progress_.KeepResponsive();
        if (entry.file) {
            Put(entry);
        } else {
            Note(entry.target, entry.why, false, entry.error);
        }
    }
    written_ = 0;
}

void PayloadExtractor::Discard() {
    for (std::size_t i = 0; i < written_; ++i) {
        entries_[i].file.reset();  // the written file goes with it
    }
    written_ = 0;
    folders_.RemoveMade();
}

void PayloadExtractor::Put(Entry& entry) {
    try {
        const platform::ReplaceOutcome put = files_.PutInPlace(*entry.file);
        if (put == platform::ReplaceResult::Replaced) {
            DiscardRestartCopy(entry.target, Content(entry.stored, entry.inflate));
        } else if (put == platform::ReplaceResult::TargetInUse) {
            ScheduleForRestart(entry.target, *entry.file);
        } else {
            Note(entry.target, ShortfallOf(put.result), false, put.error);
        }
    } catch (...) {
        Note(entry.target, FileShortfall::Unexpected, false);
    }
    entry.file.reset();
}

void PayloadExtractor::RemoveNowOrAtRestart(const std::string& path) {
    if (!files_.RemoveFile(path) && files_.FileExists(path)) {
        files_.ScheduleAtRestart(path, "");
    }
}

void PayloadExtractor::Note(const std::string& path, FileShortfall why, bool scheduled,
                            std::uint32_t error) {
    notes_.push_back(FileNote{path, why, scheduled, error});
}

// The new content waits beside the target in a copy that the system moves over it at the
// next restart. The copy is complete on disk before its rename is registered, so no restart
// ever moves a half-written copy.
void PayloadExtractor::ScheduleForRestart(const std::string& target, platform::StagedFile& file) {
    const std::string copy = PendingCopyOf(target);
    if (copy.empty()) {
        return Note(target, FileShortfall::InUse, false);
    }
    if (!files_.ReplaceableAtRestart(target)) {
        return Note(target, FileShortfall::NoRestartHere, false);
    }
    const platform::ReplaceOutcome written = files_.PutAsRestartCopy(file, copy);
    if (written != platform::ReplaceResult::Replaced) {
        // An older copy that cannot be brought up to date must not win at the restart.
        if (files_.FileExists(copy) && files_.WithdrawFromRestart(copy)) {
            RemoveNowOrAtRestart(copy);
        }
        return Note(target, ShortfallOf(written.result), false, written.error);
    }
    if (!files_.WithdrawFromRestart(copy) || !files_.ScheduleAtRestart(copy, target)) {
        files_.RemoveFile(copy);
        return Note(target, FileShortfall::InUse, false);
    }
    Note(target, FileShortfall::InUse, true);
}

// The target holds the new content now: a copy that an earlier install left for the
// restart is older, and must not be moved over it then. Its rename is taken out of the
// system's list and the copy removed; where the rename must stay, the copy is brought up to
// date instead.
void PayloadExtractor::DiscardRestartCopy(const std::string& target,
                                          const platform::FileContent& content) {
    const std::string copy = PendingCopyOf(target);
    if (copy.empty() || !files_.FileExists(copy)) {
        return;
    }
    if (files_.WithdrawFromRestart(copy)) {
        RemoveNowOrAtRestart(copy);
        return;
    }
    if (!files_.RemoveFile(copy) &&
        files_.WriteRestartCopy(copy, target, content) != platform::ReplaceResult::Replaced) {
        Note(target, FileShortfall::StaleCopy, false);
    }
}

}  // namespace tk::install
