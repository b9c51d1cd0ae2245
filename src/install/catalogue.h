#pragma once
// The constant catalogue: what differs between the two editions, and the payload files
// that the setup program carries as RT_RCDATA resources.
#include <cstdint>
#include <span>
#include <string_view>

namespace tk::install {

// Which edition: the cashier's Server (0) or the customer's Client (1), the numbers of the
// command line's second argument.
enum class EditionCode : std::uint8_t { Server = 0, Client = 1 };
inline constexpr EditionCode kServerEdition = EditionCode::Server;
inline constexpr EditionCode kClientEdition = EditionCode::Client;

struct Edition {
    std::string_view version;
    std::string_view productName;
    std::string_view appNamePrefix;
    std::string_view vendorKey;
    std::string_view comments;
    std::string_view folderName;
    std::string_view dataFolderName;
    std::string_view mainExecutable;
    std::string_view runValueName;
    std::string_view uninstallCommandTail;
    std::string_view settingsFile;
    std::string_view languageSection;
    std::string_view languageKey;
    std::string_view languageValue;
};

// The record of edition 0 or 1; any other code is a programming error and throws an
// InstallError (a std::exception).
const Edition& EditionOf(EditionCode code);

// App name of an edition: prefix and version with nothing between them.
std::string AppNameOf(EditionCode code);

// App name before an edition is chosen, and throughout a silent install.
inline constexpr std::string_view kGenericAppName = "tidyKiosk Filter v3";

struct PayloadEntry {
    int id;
    std::string_view entry;  // relative path, optionally led by "+" and then "-"
};

inline constexpr int kFirstPayloadId = 101;
inline constexpr int kLastPayloadId = 115;

// The shipped payload catalogue, ids 101 to 115 in ascending order.
std::span<const PayloadEntry> PayloadCatalogue();

// The client language list: ids 112 and 113 with their paths in the data folder.
std::span<const PayloadEntry> ClientLanguageList();

}  // namespace tk::install
