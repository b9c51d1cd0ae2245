#pragma once
// Fixed English texts of a run's end: the wizard's last page and the silent run's console
// lines.
#include <string_view>

namespace tk::app::texts {

inline constexpr std::string_view kSuccessfullyInstalled =
    " is successfully installed. Please click Finish to quit.";
inline constexpr std::string_view kRunPrefix = "Run ";
inline constexpr std::string_view kIncompleteBefore = "The installation of ";
inline constexpr std::string_view kIncompleteMiddle = " is incomplete: ";
inline constexpr std::string_view kFilesNotWritten = " could not be written";
inline constexpr std::string_view kStepsNotDone = " did not complete";
inline constexpr std::string_view kIncompleteAfter = ". Please click Finish to quit.";
inline constexpr std::string_view kRestartToFinish =
    " The computer must be restarted to finish the installation.";

// What a silent run tells the parent console about what it left unfinished.
inline constexpr std::string_view kScheduledLine =
    ": in use; it will be replaced when the computer restarts";
inline constexpr std::string_view kNotInstalledLine = ": not installed: ";
inline constexpr std::string_view kReadOnly = "read-only";
inline constexpr std::string_view kStaleCopy =
    "an older copy waiting to replace it at the restart could not be removed";
inline constexpr std::string_view kNoRestartHere =
    "in use, and on a network or substituted drive, which cannot replace it at the restart";
inline constexpr std::string_view kNotInProgram = "missing from the setup program";
inline constexpr std::string_view kDamaged = "damaged in the setup program";
inline constexpr std::string_view kUnexpected = "unexpected error";
inline constexpr std::string_view kStepIncompleteLine = ": did not complete";

// The steps as the last page and the console name them.
inline constexpr std::string_view kStepFolderAccess = "access rights of the folders";
inline constexpr std::string_view kStepProvider = "filter provider registration";
inline constexpr std::string_view kStepShortcuts = "shortcuts";
inline constexpr std::string_view kStepRegistry = "registry entries";
inline constexpr std::string_view kStepCompatibilityLayer = "compatibility setting";
inline constexpr std::string_view kStepReportedError = "a step that reported an error";

// The run's event in the Application log, after the edition's name and version.
inline constexpr std::string_view kEventFolder = "\r\nInstall folder: ";
inline constexpr std::string_view kEventNoFolder = "none";
inline constexpr std::string_view kEventSilent = "\r\nRan: silent";
inline constexpr std::string_view kEventWizard = "\r\nRan: wizard";
inline constexpr std::string_view kEventStatus = "\r\nExit status: ";
inline constexpr std::string_view kEventLastPage = "\r\nLast page: ";

}  // namespace tk::app::texts
