#include "install/extraction.h"

#include <algorithm>
#include <optional>
#include <string_view>
#include <utility>
#include <vector>

#include "install/inflate.h"
#include "install/install_plan.h"
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
      restart_(files),
      entries_(new Entry[catalogue.size() + clientLanguages.size()]) {}

bool PayloadExtractor::ExtractPayload(int id, const std::string& installFolder,
                                      const std::string& dataFolder, EditionCode edition) {
    progress_.EntryReached();
    const auto found = Lookup(catalogue_, id);
    const auto planned =
        found ? PlanFile(id, *found, false, edition, installFolder, dataFolder) : std::nullopt;
    return planned && Write(*planned);
}

bool PayloadExtractor::ExtractClientLanguage(int id, const std::string& installFolder,
                                             const std::string& dataFolder) {
    progress_.EntryReached();
    const auto found = Lookup(clientLanguages_, id);
    const auto planned = found
                             ? PlanFile(id, *found, true, kClientEdition, installFolder, dataFolder)
                             : std::nullopt;
    return planned && Write(*planned);
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

bool PayloadExtractor::Write(const PlannedFile& planned) {
    if (written_ == catalogue_.size() + clientLanguages_.size()) {
        return false;  // an entry asked for twice before the files were put in place
    }
    Entry& entry = entries_[written_++];
    entry.plan = planned;
    const int id = planned.id;
    const std::string& relativePath = planned.relativePath;
    entry.why = FileShortfall::Unexpected;
    entry.error = 0;
    platform::ReplaceOutcome written{platform::ReplaceResult::WriteFailed};
    // Whatever goes wrong with this one file (memory, an exception from a platform call)
    // fails this file only.
    try {
        const std::string& folder = planned.stagedIn;
        folders_.Make(folder);  // a failure shows when the file is written
        progress_.CurrentFile(FileNameOf(entry.plan.target));
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
        // Once the disk is full nothing of this run is put in place: the files after it are
        // only read through for damage.
        if (!outOfSpace_) {
            written = files_.StageFileContent(entry.plan.target,
                                              Content(entry.stored, entry.inflate), entry.file);
        }
        if (written == platform::ReplaceResult::Replaced) {
            return true;
        }
        entry.why = ShortfallOf(written.result);
        entry.error = written.error;
        if (written == platform::ReplaceResult::DiskFull && !outOfSpace_) {
            outOfSpace_ =
                FileNote{entry.plan.target, FileShortfall::DiskFull, false, written.error};
        }
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
            Note(entry.plan.target, entry.why, false, entry.error);
        }
    }
    written_ = 0;
}

void PayloadExtractor::Discard() {
    for (std::size_t i = 0; i < written_; ++i) {
        entries_[i].file.reset();  // the written file goes with it
    }
    written_ = 0;
    outOfSpace_.reset();
    folders_.RemoveMade();
}

void PayloadExtractor::Put(Entry& entry) {
    try {
        const platform::ReplaceOutcome put = files_.PutInPlace(*entry.file);
        if (put == platform::ReplaceResult::Replaced) {
            DiscardRestartCopy(entry.plan, Content(entry.stored, entry.inflate));
        } else if (put == platform::ReplaceResult::TargetInUse) {
            ScheduleForRestart(entry.plan, *entry.file);
        } else {
            Note(entry.plan.target, ShortfallOf(put.result), false, put.error);
        }
    } catch (...) {
        Note(entry.plan.target, FileShortfall::Unexpected, false);
    }
    entry.file.reset();
}

void PayloadExtractor::RemoveNowOrAtRestart(const std::string& path) {
    if (!files_.RemoveFile(path) && files_.FileExists(path)) {
        restart_.Delete(path);
    }
}

void PayloadExtractor::Note(const std::string& path, FileShortfall why, bool scheduled,
                            std::uint32_t error) {
    notes_.push_back(FileNote{path, why, scheduled, error});
}

// The new content waits beside the target in a copy that the system moves over it at the
// next restart. The copy is complete on disk before its rename is registered, so no restart
// ever moves a half-written copy.
void PayloadExtractor::ScheduleForRestart(const PlannedFile& planned, platform::StagedFile& file) {
    const std::string& target = planned.target;
    const std::string& copy = planned.restartCopy;
    if (planned.whenHeld == WhenHeld::NameTooLong) {
        return Note(target, FileShortfall::InUse, false);
    }
    if (!files_.ReplaceableAtRestart(target)) {
        return Note(target, FileShortfall::NoRestartHere, false);
    }
    if (record_ != nullptr) {
        record_->CopyBegun(copy);
    }
    const platform::ReplaceOutcome written = files_.PutAsRestartCopy(file, copy);
    bool scheduled = false;
    if (written != platform::ReplaceResult::Replaced) {
        // An older copy that cannot be brought up to date must not win at the restart.
        if (files_.FileExists(copy) && restart_.Withdraw(copy)) {
            RemoveNowOrAtRestart(copy);
        }
    } else if (!(scheduled = restart_.Rename(copy, target))) {
        files_.RemoveFile(copy);
    }
    if (record_ != nullptr) {
        record_->CopySettled(copy);
    }
    if (written != platform::ReplaceResult::Replaced) {
        return Note(target, ShortfallOf(written.result), false, written.error);
    }
    if (!scheduled) {
        return Note(target, FileShortfall::InUse, false);
    }
    Note(target, FileShortfall::InUse, true);
}

// The target holds the new content now: a copy that an earlier install left for the
// restart is older, and must not be moved over it then. Its rename is taken out of the
// system's list and the copy removed; where the rename must stay, the copy is brought up to
// date instead.
void PayloadExtractor::DiscardRestartCopy(const PlannedFile& planned,
                                          const platform::FileContent& content) {
    const std::string& target = planned.target;
    const std::string& copy = planned.restartCopy;
    if (copy.empty() || !files_.FileExists(copy)) {
        return;
    }
    if (restart_.Withdraw(copy)) {
        RemoveNowOrAtRestart(copy);
        return;
    }
    if (!files_.RemoveFile(copy) &&
        files_.WriteRestartCopy(copy, target, content) != platform::ReplaceResult::Replaced) {
        Note(target, FileShortfall::StaleCopy, false);
    }
}

}  // namespace tk::install
