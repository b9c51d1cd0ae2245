#pragma once
// Turns the payload resources into files on disk.
#include <cstdint>
#include <memory>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "install/catalogue.h"
#include "install/folder_maker.h"
#include "install/install_plan.h"
#include "install/progress.h"
#include "install/run_record.h"
#include "platform/files.h"
#include "platform/resources.h"

namespace tk::install {

// Why a file of this edition does not hold its payload now.
enum class FileShortfall {
    InUse,
    ReadOnly,
    DiskFull,
    AccessDenied,
    OtherError,  // the system's error number says which
    NotInProgram,
    Damaged,
    Unexpected,
    StaleCopy,      // written, but an older copy it cannot remove waits for the restart
    NoRestartHere,  // in use, on a drive that does not exist yet when the system restarts
};

struct FileNote {
    std::string path;
    FileShortfall why = FileShortfall::Unexpected;
    bool scheduled = false;  // replaced at the next restart
    std::uint32_t error = 0;
};

// Writes the payload files in two rounds: every file of the edition is first written in
// full beside its target, its stream checked on the way, and only when no stream was
// damaged are they put in place. A damaged program file so installs nothing, without a
// separate reading of the payload and without holding any file in memory.
class PayloadExtractor {
public:
    PayloadExtractor(platform::Files& files, platform::Resources& resources,
                     ProgressReporter& progress,
                     std::span<const PayloadEntry> catalogue = PayloadCatalogue(),
                     std::span<const PayloadEntry> clientLanguages = ClientLanguageList());

    // One entry of the payload catalogue, filtered by edition and routed by its markers:
    // its file is written beside its target, to be put in place by PutInPlace. True when it
    // was; false when the edition does not install it or it could not be written (noted).
    bool ExtractPayload(int id, const std::string& installFolder, const std::string& dataFolder,
                        EditionCode edition);
    // One entry of the client language list, always into the data folder.
    bool ExtractClientLanguage(int id, const std::string& installFolder,
                               const std::string& dataFolder);
    // True when a stream written or tried so far begins with a zlib header but is no
    // complete stream with a matching checksum: the program file itself is damaged.
    bool Damaged() const { return damaged_; }
    // The first file that could not be written for want of space, when one could not: the
    // files after it were not written either, and none should be put in place.
    const std::optional<FileNote>& OutOfSpace() const { return outOfSpace_; }
    // Puts every written file in place, in the order written: over its target, or where
    // the target is in use as the copy that replaces it at the next restart.
    void PutInPlace();
    // Removes every written file and every folder the extraction made.
    void Discard();
    // Every file put in place so far that was scheduled or failed, in entry order.
    const std::vector<FileNote>& Notes() const { return notes_; }
    // Notes each restart copy in the run's record while it is being written.
    void Record(RunRecord& record) { record_ = &record; }
    // What this run left for the next restart.
    const RestartList& Restart() const { return restart_; }

private:
    // A file's content as it is written: its stream inflated on the way, or its stored bytes.
    class Content final : public platform::FileContent {
    public:
        Content(std::span<const std::uint8_t> stored, bool inflate)
            : stored_(stored), inflate_(inflate) {}
        bool WriteTo(platform::ByteSink& sink) const noexcept override;
        bool Damaged() const;  // reads the stream whole through a small buffer

    private:
        std::span<const std::uint8_t> stored_;
        bool inflate_;
    };
    struct Entry {
        PlannedFile plan;
        std::span<const std::uint8_t> stored;  // the resource's bytes
        bool inflate = false;
        std::unique_ptr<platform::StagedFile> file;     // none when it could not be written,
        FileShortfall why = FileShortfall::Unexpected;  // then why
        std::uint32_t error = 0;
    };

    // The entry's stored bytes and whether they are inflated; false when the program has none.
    bool Load(Entry& entry, int id, const std::string& relativePath);
    bool Write(const PlannedFile& planned);
    void Put(Entry& entry);
    void Note(const std::string& path, FileShortfall why, bool scheduled, std::uint32_t error = 0);
    void ScheduleForRestart(const PlannedFile& planned, platform::StagedFile& file);
    void RemoveNowOrAtRestart(const std::string& path);
    void DiscardRestartCopy(const PlannedFile& planned, const platform::FileContent& content);

    platform::Files& files_;
    platform::Resources& resources_;
    ProgressReporter& progress_;
    std::span<const PayloadEntry> catalogue_;
    std::span<const PayloadEntry> clientLanguages_;
    FolderMaker folders_;
    RestartList restart_;
    RunRecord* record_ = nullptr;
    // One entry for each file of the edition, as many as both lists have.
    std::unique_ptr<Entry[]> entries_;
    std::size_t written_ = 0;
    std::vector<FileNote> notes_;
    std::vector<std::string> tidiedFolders_;
    bool damaged_ = false;
    std::optional<FileNote> outOfSpace_;
};

}  // namespace tk::install
