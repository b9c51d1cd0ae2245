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

}  // namespace tk::install::texts
