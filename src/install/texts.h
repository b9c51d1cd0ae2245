#pragma once
// Fixed English texts of the install sequence and of what it reports.
#include <string_view>

namespace tk::install::texts {

inline constexpr std::string_view kPreparingFolders = "Preparing folders...";
inline constexpr std::string_view kCopyingFiles = "Copying files...";
inline constexpr std::string_view kCreatingShortcuts = "Creating desktop shortcuts...";
inline constexpr std::string_view kCreatingRegistryKeys = "Creating registry keys...";
inline constexpr std::string_view kPleaseWait = "Please wait...";
inline constexpr std::string_view kTheInstallFolder = "The install folder ";
inline constexpr std::string_view kInsideWindowsFolderAfter =
    " is inside the Windows folder. Nothing was installed; choose another folder.";
inline constexpr std::string_view kAnotherSetupRun =
    "Another setup program has been installing on this computer for 10 minutes and has not "
    "finished. Nothing was installed; run the setup again when it has.";
inline constexpr std::string_view kSetupRunLockForeign =
    "Another program holds the name through which setup programs on this computer take "
    "turns, and no administrator made it. Nothing was installed; end that program or restart "
    "the computer, then run the setup again.";
inline constexpr std::string_view kSetupRunLockFailed =
    "The setup program could not take its turn among setup programs on this computer (error ";
inline constexpr std::string_view kFolderNotMadeAfter = " could not be made (";
inline constexpr std::string_view kNothingInstalled = "). Nothing was installed.";
inline constexpr std::string_view kOutOfSpaceBefore = "There is not enough space on the disk: ";
inline constexpr std::string_view kOutOfSpaceAfter =
    "). Nothing was installed or changed; free some space and run the setup again.";
inline constexpr std::string_view kCouldNotBeWritten = " could not be written (";
inline constexpr std::string_view kNoSuchFolder = "no such drive or folder";
inline constexpr std::string_view kBadName = "the name is not valid";
inline constexpr std::string_view kSetupDamaged =
    "The setup program is damaged. Download it again.";
// Why a file or a folder could not be written.
inline constexpr std::string_view kInUse = "in use";
inline constexpr std::string_view kDiskFull = "disk full";
inline constexpr std::string_view kAccessDenied = "access denied";
inline constexpr std::string_view kOtherError = "error ";  // then the system's error number

}  // namespace tk::install::texts
