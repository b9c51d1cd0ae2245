#include "install/registry_entries.h"

#include <array>
#include <span>

#include "platform/paths.h"

namespace tk::install {
namespace {

using platform::Registry;
using platform::RegistryRoot;

constexpr std::string_view kDisplayName = "tidyKiosk Firewall";
constexpr std::string_view kPublisher = "Vorn Software";
constexpr std::string_view kDisplayVersion = "3.3";
constexpr std::uint32_t kVersionNumber = 3;
constexpr std::uint32_t kEstimatedSizeKilobytes = 15250;

// One value to write: a string, or a DWORD when `isNumber`. The texts stay where they are
// kept (constants, or strings of the caller) until the value is written.
struct Value {
    std::string_view name;
    std::string_view text;
    std::uint32_t number = 0;
    bool isNumber = false;
};

constexpr Value Number(std::string_view name, std::uint32_t number) {
    return {name, {}, number, true};
}

enum class KeyOpening { CreateIfMissing, ExistingOnly };

enum class PartResult {
    Done,
    KeySkipped,   // the key could not be opened; the next part runs
    WriteFailed,  // a value could not be written; the registration ends here
};

PartResult WriteValues(Registry& registry, RegistryRoot root, const std::string& path,
                       KeyOpening opening, std::span<const Value> values) {
    const platform::OpenedKey opened = opening == KeyOpening::CreateIfMissing
                                           ? registry.CreateKey(root, path)
                                           : registry.OpenKey(root, path);
    if (!opened.status) {
        return PartResult::KeySkipped;
    }
    for (const Value& value : values) {
        const std::string name(value.name);
        const platform::Status written =
            value.isNumber ? registry.SetDword(opened.key, name, value.number)
                           : registry.SetString(opened.key, name, std::string(value.text));
        if (!written) {
            return PartResult::WriteFailed;
        }
    }
    return PartResult::Done;
}

// Removes the user's own start-up value, so the application is started once, from the
// machine's Run key. A user without a Run key has nothing to remove.
PartResult RemoveUserStartupValue(Registry& registry, const std::string& runValueName) {
    const platform::OpenedKey opened =
        registry.OpenKey(RegistryRoot::CurrentUser, std::string(kRunKey));
    if (opened.status == platform::kNotFound) {
        return PartResult::Done;
    }
    if (!opened.status) {
        return PartResult::KeySkipped;
    }
    if (registry.QueryValue(opened.key, runValueName)) {
        registry.DeleteValue(opened.key, runValueName);
    }
    return PartResult::Done;
}

// `displayIcon` is the main program's path with ",0".
std::array<Value, 19> UninstallValues(const Edition& edition, const std::string& installFolder,
                                      const std::string& uninstallCommand,
                                      const std::string& installSource,
                                      const std::string& installDate,
                                      const std::string& displayIcon) {
    return {{
        {"DisplayName", kDisplayName},
        {"UninstallString", uninstallCommand},
        {"Publisher", kPublisher},
        {"DisplayIcon", displayIcon},
        {"DisplayVersion", kDisplayVersion},
        {"URLInfoAbout", kProductWebSite},
        {"URLUpdateInfo", kProductWebSite},
        {"InstallDate", installDate},
        {"InstallLocation", installFolder},
        {"InstallSource", installSource},
        {"Comments", edition.comments},
        {"RegOwner", kPublisher},
        {"RegCompany", kPublisher},
        Number("Version", kVersionNumber),
        Number("VersionMajor", kVersionNumber),
        Number("VersionMinor", kVersionNumber),
        Number("NoModify", 1),
        Number("NoRepair", 1),
        Number("EstimatedSize", kEstimatedSizeKilobytes),
    }};
}
}  // namespace

std::string InstallDateOf(const platform::LocalDate& date) {
    return PaddedNumber(static_cast<unsigned>(date.year % 10000), 4) +
           PaddedNumber(static_cast<unsigned>(date.month % 100), 2) +
           PaddedNumber(static_cast<unsigned>(date.day % 100), 2);
}

bool WriteRegistryEntries(platform::Registry& registry, platform::System& system,
                          EditionCode edition, const std::string& installFolder) {
    const Edition& record = EditionOf(edition);
    const std::string vendorKey(record.vendorKey);
    const std::string runValueName(record.runValueName);
    // Paths stay unquoted even with spaces: the installed programs read them as they are.
    const std::string runCommand = installFolder + std::string(record.mainExecutable) +
                                   (edition == kServerEdition ? " -h" : "");
    const std::string uninstallCommand = installFolder + std::string(record.uninstallCommandTail);
    const Value vendorValues[] = {{"Path", installFolder}, {"Version", record.version}};

    bool complete = true;
    // False when the registration must end here.
    const auto carryOn = [&complete](PartResult result) {
        complete = complete && result == PartResult::Done;
        return result != PartResult::WriteFailed;
    };
    if (!carryOn(WriteValues(registry, RegistryRoot::CurrentUser, vendorKey,
                             KeyOpening::CreateIfMissing, vendorValues)) ||
        !carryOn(RemoveUserStartupValue(registry, runValueName)) ||
        !carryOn(WriteValues(registry, RegistryRoot::LocalMachine, vendorKey,
                             KeyOpening::CreateIfMissing, vendorValues)) ||
        !carryOn(WriteValues(registry, RegistryRoot::LocalMachine, std::string(kRunKey),
                             KeyOpening::ExistingOnly,
                             std::array<Value, 1>{{{runValueName, runCommand}}}))) {
        return false;
    }
    // The date is read now, when the entry is written.
    const std::string installSource = WithTrailingBackslash(FolderOf(system.ModulePath()));
    const std::string installDate = InstallDateOf(system.Today());
    const std::string displayIcon = installFolder + std::string(record.mainExecutable) + ",0";
    const auto uninstallValues = UninstallValues(record, installFolder, uninstallCommand,
                                                 installSource, installDate, displayIcon);
    carryOn(WriteValues(registry, RegistryRoot::LocalMachine,
                        std::string(kUninstallKey) + std::string(record.productName),
                        KeyOpening::CreateIfMissing, uninstallValues));
    return complete;
}

}  // namespace tk::install
