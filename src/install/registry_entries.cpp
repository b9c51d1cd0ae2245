#include "install/registry_entries.h"

#include <variant>
#include <vector>

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

struct Value {
    std::string name;
    std::variant<std::string, std::uint32_t> data;
};

enum class KeyOpening { CreateIfMissing, ExistingOnly };

enum class PartResult {
    Done,
    KeySkipped,   // the key could not be opened; the next part runs
    WriteFailed,  // a value could not be written; the registration ends here
};

PartResult WriteValues(Registry& registry, RegistryRoot root, const std::string& path,
                       KeyOpening opening, const std::vector<Value>& values) {
    Registry::Key key = 0;
    const platform::Status status = opening == KeyOpening::CreateIfMissing
                                        ? registry.CreateKey(root, path, key)
                                        : registry.OpenKey(root, path, key);
    if (!status) {
        return PartResult::KeySkipped;
    }
    const platform::OpenedKey opened(registry, key);
    for (const Value& value : values) {
        const platform::Status written =
            std::holds_alternative<std::string>(value.data)
                ? registry.SetString(key, value.name, std::get<std::string>(value.data))
                : registry.SetDword(key, value.name, std::get<std::uint32_t>(value.data));
        if (!written) {
            return PartResult::WriteFailed;
        }
    }
    return PartResult::Done;
}

// Removes the user's own start-up value, so the application is started once, from the
// machine's Run key. A user without a Run key has nothing to remove.
PartResult RemoveUserStartupValue(Registry& registry, const std::string& runValueName) {
    Registry::Key key = 0;
    const platform::Status status =
        registry.OpenKey(RegistryRoot::CurrentUser, std::string(kRunKey), key);
    if (status == platform::kNotFound) {
        return PartResult::Done;
    }
    if (!status) {
        return PartResult::KeySkipped;
    }
    const platform::OpenedKey opened(registry, key);
    if (registry.QueryValue(key, runValueName)) {
        registry.DeleteValue(key, runValueName);
    }
    return PartResult::Done;
}

std::vector<Value> UninstallValues(const Edition& edition, const std::string& installFolder,
                                   const std::string& uninstallCommand,
                                   const std::string& installSource,
                                   const std::string& installDate) {
    const std::string mainExecutable = installFolder + std::string(edition.mainExecutable);
    return {
        {"DisplayName", std::string(kDisplayName)},
        {"UninstallString", uninstallCommand},
        {"Publisher", std::string(kPublisher)},
        {"DisplayIcon", mainExecutable + ",0"},
        {"DisplayVersion", std::string(kDisplayVersion)},
        {"URLInfoAbout", std::string(kProductWebSite)},
        {"URLUpdateInfo", std::string(kProductWebSite)},
        {"InstallDate", installDate},
        {"InstallLocation", installFolder},
        {"InstallSource", installSource},
        {"Comments", std::string(edition.comments)},
        {"RegOwner", std::string(kPublisher)},
        {"RegCompany", std::string(kPublisher)},
        {"Version", kVersionNumber},
        {"VersionMajor", kVersionNumber},
        {"VersionMinor", kVersionNumber},
        {"NoModify", std::uint32_t{1}},
        {"NoRepair", std::uint32_t{1}},
        {"EstimatedSize", kEstimatedSizeKilobytes},
    };
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
    const std::vector<Value> vendorValues = {{"Path", installFolder},
                                             {"Version", std::string(record.version)}};

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
                             KeyOpening::ExistingOnly, {{runValueName, runCommand}}))) {
        return false;
    }
    // The date is read now, when the entry is written.
    const std::vector<Value> uninstallValues = UninstallValues(
        record, installFolder, uninstallCommand,
        WithTrailingBackslash(FolderOf(system.ModulePath())), InstallDateOf(system.Today()));
    carryOn(WriteValues(registry, RegistryRoot::LocalMachine,
                        std::string(kUninstallKey) + std::string(record.productName),
                        KeyOpening::CreateIfMissing, uninstallValues));
    return complete;
}

}  // namespace tk::install
