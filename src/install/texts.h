#pragma once
// Fixed English texts loaded at window creation and used by the install sequence.
#include <string_view>

namespace tk::install::texts {

inline constexpr std::string_view kPreparingFolders = "Preparing folders...";
inline constexpr std::string_view kCopyingFiles = "Copying files...";
inline constexpr std::string_view kCreatingShortcuts = "Creating desktop shortcuts...";
inline constexpr std::string_view kCreatingRegistryKeys = "Creating registry keys...";
inline constexpr std::string_view kPleaseWait = "Please wait...";
inline constexpr std::string_view kSuccessfullyInstalled =
    " is successfully installed. Please click Finish to quit.";
inline constexpr std::string_view kRunPrefix = "Run ";
inline constexpr std::string_view kSetupDamaged =
    "The setup program is damaged. Download it again.";
inline constexpr std::string_view kIncompleteBefore = "The installation of ";
inline constexpr std::string_view kIncompleteMiddle = " is incomplete: ";
inline constexpr std::string_view kIncompleteAfter =
    " could not be written. Please click Finish to quit.";
inline constexpr std::string_view kRestartToFinish =
    " The computer must be restarted to finish the installation.";

// What a silent install tells the parent console about what it left unfinished.
inline constexpr std::string_view kScheduledLine =
    ": in use; it will be replaced when the computer restarts";
inline constexpr std::string_view kNotInstalledLine = ": not installed: ";
inline constexpr std::string_view kInUse = "in use";
inline constexpr std::string_view kReadOnly = "read-only";
inline constexpr std::string_view kDiskFull = "disk full";
inline constexpr std::string_view kNotWritable = "access denied";
inline constexpr std::string_view kNotInProgram = "missing from the setup program";
inline constexpr std::string_view kDamaged = "damaged in the setup program";
inline constexpr std::string_view kUnexpected = "unexpected error";
inline constexpr std::string_view kStepIncompleteLine = ": did not complete";
inline constexpr std::string_view kStepFolderAccess = "access rights of the folders";
inline constexpr std::string_view kStepProvider = "filter provider registration";
inline constexpr std::string_view kStepShortcuts = "shortcuts";
inline constexpr std::string_view kStepRegistry = "registry entries";

}  // namespace tk::install::texts
