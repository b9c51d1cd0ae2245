#include "install/catalogue.h"

#include <array>
#include <stdexcept>
#include <string>

#include "install/install_error.h"

namespace tk::install {
namespace {

constexpr std::array<Edition, 2> kEditions{{
    {
        .version = "3.3.33 en",
        .productName = "tidyKiosk Filter Server",
        .appNamePrefix = "tidyKiosk Filter Server v",
        .vendorKey = "Software\\VornSoft\\FltLogServer\\",
        .comments = "Web filter for internet cafes: the cashier computer",
        .folderName = "Filter Server",
        .dataFolderName = "FServer",
        .mainExecutable = "fltsrv.exe",
        .runValueName = "fltsrv",
        .uninstallCommandTail = "Uninstall.exe -uninstall -s",
        .settingsFile = "datax\\data.ini",
        .languageSection = "Settings",
        .languageKey = "Lang",
        .languageValue = "english.lng",
    },
    {
        .version = "3.3.33 en",
        .productName = "tidyKiosk Filter Client",
        .appNamePrefix = "tidyKiosk Filter Client v",
        .vendorKey = "Software\\VornSoft\\FltLogClient\\",
        .comments = "Web filter for internet cafes: the customer computers",
        .folderName = "Filter Client",
        .dataFolderName = "FClient",
        .mainExecutable = "fltcln.exe",
        .runValueName = "fltcl",
        .uninstallCommandTail = "Uninstall.exe -uninstall -c",
        .settingsFile = "datax\\kayit.dat",
        .languageSection = "Ayarlar",
        .languageKey = "Language",
        .languageValue = "english",
    },
}};

constexpr std::array<PayloadEntry, 15> kPayloads{{
    {101, "fltsrv.exe"},
    {102, "+fltcln.exe"},
    {103, "+fltfw.exe"},
    {104, "+_fltw.exe"},
    {105, "+sporder.dll"},
    {106, "proto\\proto.txt"},
    {107, "proto\\proto-ban.txt"},
    {108, "proto\\proto-search.txt"},
    {109, "tidykiosk_agreement.txt"},
    {110, "+plugin\\_kfilter.dll"},
    {111, "+Uninstall.exe"},
    {112, "language\\data\\turkce.lng"},
    {113, "language\\data\\english.lng"},
    {114, "language\\turkce.ini"},
    {115, "language\\english.ini"},
}};

// The folder is "languages" here and "language" in the main catalogue.
constexpr std::array<PayloadEntry, 2> kClientLanguages{{
    {112, "languages\\data\\turkce.lng"},
    {113, "languages\\data\\english.lng"},
}};

}  // namespace

const Edition& EditionOf(EditionCode code) {
    const auto index = static_cast<std::size_t>(code);
    if (index >= kEditions.size()) {
        throw InstallError("unknown edition");
    }
    return kEditions[index];
}

std::string AppNameOf(EditionCode code) {
    const Edition& edition = EditionOf(code);
    return std::string(edition.appNamePrefix) + std::string(edition.version);
}

std::span<const PayloadEntry> PayloadCatalogue() {
    return kPayloads;
}

std::span<const PayloadEntry> ClientLanguageList() {
    return kClientLanguages;
}

}  // namespace tk::install
