#pragma once
// Turns one payload resource into one file on disk.
#include <cstdint>
#include <span>
#include <string>
#include <vector>

#include "install/catalogue.h"
#include "install/progress.h"
#include "platform/files.h"
#include "platform/resources.h"

namespace tk::install {

enum class ExtractOutcome {
    Written,        // the file holds the payload
    NotForEdition,  // the entry is not installed by this edition; nothing to do
    Failed,         // the file belongs to this edition but could not be written
    Scheduled,      // the file is in use: its new content replaces it at the next restart
};

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
    FileShortfall why;
    bool scheduled;  // replaced at the next restart
    std::uint32_t error = 0;
};

class PayloadExtractor {
public:
    PayloadExtractor(platform::Files& files, platform::Resources& resources,
                     ProgressReporter& progress,
                     std::span<const PayloadEntry> catalogue = PayloadCatalogue(),
                     std::span<const PayloadEntry> clientLanguages = ClientLanguageList());

    // One entry of the payload catalogue, filtered by edition and routed by its markers.
    ExtractOutcome ExtractPayload(int id, const std::string& installFolder,
                                  const std::string& dataFolder, EditionCode edition);
    // One entry of the client language list, always into the data folder.
    ExtractOutcome ExtractClientLanguage(int id, const std::string& installFolder,
                                         const std::string& dataFolder);
    // True when a resource this edition installs begins with a zlib header but is no
    // complete stream with a matching checksum: the program file itself is damaged. Each
    // stream is inflated through a small fixed buffer and nothing of it is kept, so the
    // check needs no folder and no more memory for a larger payload.
    bool PayloadDamaged(EditionCode edition);
    // Every file of the calls so far that was scheduled or failed, in call order.
    const std::vector<FileNote>& Notes() const { return notes_; }

private:
    ExtractOutcome WriteResource(int id, const std::string& relativePath, const std::string& base);
    ExtractOutcome Note(const std::string& path, FileShortfall why, bool scheduled,
                        std::uint32_t error = 0);
    ExtractOutcome ScheduleForRestart(const std::string& target,
                                      const platform::FileContent& content);
    ExtractOutcome DiscardRestartCopy(const std::string& target,
                                      const platform::FileContent& content);

    platform::Files& files_;
    platform::Resources& resources_;
    ProgressReporter& progress_;
    std::span<const PayloadEntry> catalogue_;
    std::span<const PayloadEntry> clientLanguages_;
    std::vector<FileNote> notes_;
    std::vector<std::string> tidiedFolders_;
};

}  // namespace tk::install
