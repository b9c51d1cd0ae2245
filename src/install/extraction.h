#pragma once
// Turns one payload resource into one file on disk.
#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <vector>

#include "install/catalogue.h"
#include "install/inflate.h"
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
    // complete stream with a matching checksum: the program file itself is damaged. The
    // streams it inflated (up to kCheckedBudget bytes in all) are kept, and each is then
    // written from there once instead of being inflated a second time.
    bool PayloadDamaged(EditionCode edition);
    static constexpr std::size_t kCheckedBudget = 32u << 20;
    // Every file of the calls so far that was scheduled or failed, in call order.
    const std::vector<FileNote>& Notes() const { return notes_; }

private:
    // The inflated bytes of one checked stream, and the stored bytes they came from.
    struct Checked {
        const std::uint8_t* stored = nullptr;  // null once taken
        std::size_t storedSize = 0;
        ByteBuffer inflated;
    };
    std::optional<ByteBuffer> TakeChecked(std::span<const std::uint8_t> stored);

    ExtractOutcome WriteResource(int id, const std::string& relativePath, const std::string& base);
    ExtractOutcome Note(const std::string& path, FileShortfall why, bool scheduled,
                        std::uint32_t error = 0);
    ExtractOutcome ScheduleForRestart(const std::string& target,
                                      std::span<const std::uint8_t> content);
    ExtractOutcome DiscardRestartCopy(const std::string& target,
                                      std::span<const std::uint8_t> content);

    platform::Files& files_;
    platform::Resources& resources_;
    ProgressReporter& progress_;
    std::span<const PayloadEntry> catalogue_;
    std::span<const PayloadEntry> clientLanguages_;
    std::vector<FileNote> notes_;
    std::vector<Checked> checked_;
    std::vector<std::string> tidiedFolders_;
};

}  // namespace tk::install
