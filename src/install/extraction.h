#pragma once
// Turns one payload resource into one file on disk.
#include <span>
#include <string>

#include "install/catalogue.h"
#include "platform/files.h"
#include "platform/progress_view.h"
#include "platform/resources.h"

namespace tk::install {

enum class ExtractOutcome {
    Written,        // the file holds the payload
    NotForEdition,  // the entry is not installed by this edition; nothing to do
    Failed,         // the file belongs to this edition but could not be written
};

class PayloadExtractor {
public:
    PayloadExtractor(platform::Files& files, platform::Resources& resources,
                     platform::ProgressView& view,
                     std::span<const PayloadEntry> catalogue = PayloadCatalogue(),
                     std::span<const PayloadEntry> clientLanguages = ClientLanguageList());

    // One entry of the payload catalogue, filtered by edition and routed by its markers.
    ExtractOutcome ExtractPayload(int id, const std::string& installFolder,
                                  const std::string& dataFolder, EditionCode edition);
    // One entry of the client language list, always into the data folder.
    ExtractOutcome ExtractClientLanguage(int id, const std::string& installFolder,
                                         const std::string& dataFolder);
    // True when a resource this edition installs begins with a zlib header but is no
    // complete stream with a matching checksum: the program file itself is damaged.
    bool PayloadDamaged(EditionCode edition);
    // Lets the window handle pending messages, then advances the bar by one (clamped).
    void StepProgress();

private:
    ExtractOutcome WriteResource(int id, const std::string& relativePath, const std::string& base);

    platform::Files& files_;
    platform::Resources& resources_;
    platform::ProgressView& view_;
    std::span<const PayloadEntry> catalogue_;
    std::span<const PayloadEntry> clientLanguages_;
};

}  // namespace tk::install
