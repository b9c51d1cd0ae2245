#include "provider/calmwall.h"

#include "platform/errors.h"
#include "platform/paths.h"

#include <algorithm>

namespace tk::provider {
namespace {

constexpr std::uint8_t HexDigit(char c) {
    return static_cast<std::uint8_t>(c <= '9' ? c - '0' : (c | 0x20) - 'a' + 10);
}

constexpr std::uint8_t HexByte(std::string_view text, std::size_t at) {
    return static_cast<std::uint8_t>(HexDigit(text[at]) << 4 | HexDigit(text[at + 1]));
}

// The GUID structure's bytes for "XXXXXXXX-XXXX-XXXX-XXXX-XXXXXXXXXXXX": the first three
// fields are little-endian numbers, the last eight bytes are stored as written.
constexpr platform::Guid GuidOf(std::string_view text) {
    platform::Guid id{};
    constexpr std::size_t kFieldOrder[] = {6, 4, 2, 0, 11, 9, 16, 14};
    for (std::size_t i = 0; i < 8; ++i) {
        id[i] = HexByte(text, kFieldOrder[i]);
    }
    constexpr std::size_t kTail[] = {19, 21, 24, 26, 28, 30, 32, 34};
    for (std::size_t i = 0; i < 8; ++i) {
        id[8 + i] = HexByte(text, kTail[i]);
    }
    return id;
}

constexpr std::uint16_t kWinsockVersion = 0x0101;
constexpr std::uint32_t kShortPathLimit = 255;

}  // namespace

const platform::Guid FilterProviderId = GuidOf("916DD320-0647-4C82-A145-126BDCBCFAA6");
const platform::Guid EarlierProviderIdA = GuidOf("C694D67B-4B98-4D1F-A819-FDC4F051FC6E");
const platform::Guid EarlierProviderIdB = GuidOf("90B4116D-EB89-416A-BF90-8ADA0659BDB2");

TVoFirewall::TVoFirewall(std::uintptr_t ownerWindow, ProviderServices services)
    : services_(services) {
    RemoveEarlierProviders();
    SetDownloadLimit(0);
    SetUploadLimit(0);
    const std::string module = services_.system.ModulePath();
    appFolder_ = module.substr(0, module.size() - FileNameOf(module).size());  // with its "\\"
    pluginPath_ = appFolder_ + std::string(kPluginFolder) + std::string(kPluginFileName);
    DeleteOldPlugins();
    messageWindow_ = services_.windows.Create([](std::uint32_t message, std::uintptr_t,
                                                 std::intptr_t) { return AnswerMessage(message); });
    TurnMarkerIntoPlugin();
    services_.catalogue.Startup(kWinsockVersion);
    ownerWindow_ = ownerWindow;
}

TVoFirewall::~TVoFirewall() {
    messageWindow_.reset();
    services_.catalogue.Cleanup();
}

std::intptr_t TVoFirewall::AnswerMessage(std::uint32_t message) {
    switch (message) {
        case kQueryEndSession:  // the session may end
        case kCopyData:         // the filter's notifications are accepted unread
        case kFilterNotification:
            return 1;
        default:
            return 0;
    }
}

void TVoFirewall::DeleteOldPlugins() {
    const std::string folder = appFolder_ + std::string(kPluginFolder);
    for (const std::string_view name : OldPluginNames) {
        try {
            const std::string path = folder + std::string(name);
            if (services_.files.FileExists(path) &&
                AsciiLower(FileNameOf(pluginPath_)) == kPluginFileName) {
                services_.files.RemoveFile(path);
            }
        } catch (...) {
            // A file that cannot be handled stays; the next one is tried.
        }
    }
}

void TVoFirewall::TurnMarkerIntoPlugin() {
    const std::string folder = appFolder_ + std::string(kPluginFolder);
    const std::string marker = folder + std::string(kMarkerFileName);
    try {
        if (services_.files.FileExists(marker) &&
            services_.files.CopyFileTo(marker, folder + std::string(kPluginFileName), false)) {
            services_.files.RemoveFile(marker);
        }
    } catch (...) {
        // The plug-in stays as it was.
    }
}

void TVoFirewall::DeinstallWherePresent(const platform::Guid& id) {
    const std::vector<platform::Guid> ids = services_.catalogue.ProviderIds();
    if (std::find(ids.begin(), ids.end(), id) != ids.end()) {
        services_.catalogue.DeinstallProvider(id);  // removes every entry with this GUID
    }
}

void TVoFirewall::RemoveEarlierProviders() {
    DeinstallWherePresent(EarlierProviderIdA);
    DeinstallWherePresent(EarlierProviderIdB);
}

std::string TVoFirewall::ProviderPath() {
    const std::optional<std::string> path = services_.catalogue.ProviderPath(FilterProviderId);
    // An empty path names no registration (some catalogues answer every GUID that way),
    // so there is nothing stale to remove.
    if (!path || path->empty()) {
        return std::string();
    }
    // Environment references are not expanded: such a path counts as a missing file.
    if (services_.files.FileExists(*path)) {
        return *path;
    }
    RunUninstallHelper();  // registered, but the library is gone
    return std::string();
}

bool TVoFirewall::IsInstalled() {
    const std::string path = ProviderPath();
    const bool installed = AsciiLower(FileNameOf(path)) == kPluginFileName;
    if (!installed && !path.empty()) {
        RunUninstallHelper();  // registered under our GUID, but with another library
    }
    return installed;
}

std::string TVoFirewall::HelperParameters(std::string_view operation) {
    // A window handle's value fits in 32 bits on 64-bit Windows as well.
    return Joined({PaddedNumber(static_cast<unsigned long>(ownerWindow_), 1), " ",
                   ShortPathOf(pluginPath_), " ", operation});
}

bool TVoFirewall::RunInstallHelper(const std::string& helperPath, const std::string& dllPath,
                                   bool flagY) {
    if (!dllPath.empty()) {
        pluginPath_ = dllPath;
    }
    const std::string file =
        ShortPathOf(helperPath.empty() ? appFolder_ + std::string(kHelperFileName) : helperPath);
    return LaunchHelper(file, HelperParameters(flagY ? "IY" : "I"));
}

void TVoFirewall::RunUninstallHelper() {
    const std::string helper = appFolder_ + std::string(kHelperFileName);
    if (!services_.files.FileExists(helper)) {
        return;
    }
    LaunchHelper(ShortPathOf(helper), HelperParameters("U"));
}

std::string TVoFirewall::ShortPathOf(const std::string& path) {
    if (!services_.files.FileExists(path)) {
        return std::string();
    }
    std::string shortPath;
    const std::uint32_t length = services_.files.ShortPathName(path, kShortPathLimit, shortPath);
    // A length at or above the limit means the short form did not fit and was not written.
    if (length == 0 || length >= kShortPathLimit) {
        return path;
    }
    return shortPath;
}

bool TVoFirewall::LaunchHelper(const std::string& file, const std::string& parameters) {
    try {
        // A silent run has nobody to close the system's box about a helper that cannot start,
        // and nobody to answer the elevation prompt (it would wait for ever).
        if (silent_) {
            return services_.shell.ExecuteWithoutUi("", file, parameters, platform::kShowNormal)
                .ok();
        }
        platform::Status result =
            services_.shell.Execute("", file, parameters, "", platform::kShowNormal);
        if (result == platform::kAccessDenied) {
            result = services_.shell.Execute("runas", file, parameters, "", platform::kShowNormal);
        }
        return result.ok();
    } catch (...) {
        return false;  // a launch failure is never reported
    }
}

}  // namespace tk::provider
