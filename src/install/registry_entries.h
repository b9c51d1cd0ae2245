#pragma once
// Records an installed edition with the system: the vendor keys under both hives, the
// start-up value and the entry in the list of installed programs.
#include <string>
#include <string_view>

#include "install/catalogue.h"
#include "platform/registry.h"
#include "platform/system.h"

namespace tk::install {

// Written to both "URLInfoAbout" and "URLUpdateInfo" of the Uninstall entry.
inline constexpr std::string_view kProductWebSite = "http://www.tidykiosk.example/";

inline constexpr std::string_view kRunKey = "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Run\\";
inline constexpr std::string_view kUninstallKey =
    "SOFTWARE\\Microsoft\\Windows\\CurrentVersion\\Uninstall\\";

// Writes every entry of the edition for the install folder (which ends in a backslash).
// A key that cannot be opened skips only its own part; a value that cannot be written ends
// the registration there, keeping what was written before. Nothing is thrown or shown: the
// answer is true when every part was done, false when something was skipped or ended early.
bool WriteRegistryEntries(platform::Registry& registry, platform::System& system,
                          EditionCode edition, const std::string& installFolder);

// "YYYYMMDD", the form of "InstallDate".
std::string InstallDateOf(const platform::LocalDate& date);

}  // namespace tk::install
