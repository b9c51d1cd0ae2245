#pragma once
// Shell services: special folders, shell links and starting programs.
#include <cstdint>
#include <memory>
#include <optional>
#include <string>

#include "platform/errors.h"

namespace tk::platform {

// CSIDL values used by the installer.
enum : int {
    kCsidlPrograms = 0x02,
    kCsidlDesktopDirectory = 0x10,
    kCsidlCommonPrograms = 0x17,
    kCsidlCommonDesktopDirectory = 0x19,
    kCsidlProgramFiles = 0x26,
};

enum : int { kShowNormal = 1, kShowHidden = 0 };

// One IShellLinkA object with its IPersistFile interface.
class ShellLink {
public:
    virtual ~ShellLink() = default;
    // Each a COM call: its status is the HRESULT, success only for S_OK.
    virtual Status SetPath(const std::string& target) = 0;
    virtual Status SetWorkingDirectory(const std::string& folder) = 0;
    // IPersistFile::Save with the name converted from the ANSI code page to UTF-16 and
    // fRemember FALSE.
    virtual Status Save(const std::string& linkPath) = 0;
};

// A program started through the shell, which the caller may wait for or end.
class StartedProgram {
public:
    virtual ~StartedProgram() = default;
    // True when the program has ended, within `milliseconds` at most.
    virtual bool WaitForEnd(std::uint32_t milliseconds) = 0;
    virtual void Terminate() = 0;
};

// Each start gives the started program the error mode this process was started with, not
// the one it keeps for itself (platform/win32/error_mode.h).
class Shell {
public:
    virtual ~Shell() = default;
    // SHGetSpecialFolderLocation + SHGetPathFromIDListA into a cleared MAX_PATH buffer;
    // nothing when the folder cannot be resolved.
    virtual std::optional<std::string> SpecialFolderPath(int csidl) = 0;
    // ShellExecuteA with no owner window; an empty verb is the default action. Its value as
    // a status (StatusOfShellExecute).
    virtual Status Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory,
                           int showCommand) = 0;
    // ShellExecuteExA like Execute, for a run that nobody watches: a start that fails shows
    // no box of the system's (SEE_MASK_FLAG_NO_UI), and the call returns once the start is
    // done (SEE_MASK_NOASYNC). A failure is the system's error number, which for the usual
    // causes is the value Execute gives (2 not found, 5 access denied).
    virtual Status ExecuteWithoutUi(const std::string& verb, const std::string& file,
                                    const std::string& parameters, int showCommand) = 0;
    // ShellExecuteExA like Execute, keeping the started process; nothing when no process
    // was started. Shows no box of the system's either.
    virtual std::unique_ptr<StartedProgram> Start(const std::string& verb, const std::string& file,
                                                  int showCommand) = 0;
    // A new shell-link object; nothing when the object or one of its two interfaces cannot
    // be had, with the failing HRESULT as the status.
    struct CreatedLink {
        std::unique_ptr<ShellLink> link;
        Status status;
    };
    virtual CreatedLink CreateShellLink() = 0;
};

}  // namespace tk::platform
