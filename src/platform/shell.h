#pragma once
// Shell services: special folders, shell links and starting programs.
#include <cstddef>
#include <cstdint>
#include <memory>
#include <optional>
#include <string>
#include <vector>

#include "platform/errors.h"
#include "platform/function_ref.h"

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

// How a batch file run in a job of its own ended.
struct BatchRunEnd {
    // The exit status of each program the batch started that ended by itself, in the order
    // they ended; nothing for one whose status could not be read. Programs that were still
    // running when the job was ended are not here.
    std::vector<std::optional<std::uint32_t>> programExits;
    // Every process the job ever held was seen starting, so no program is missing above.
    bool complete = false;
};

// When the job of a batch is ended: once `programs` of the programs the batch started
// have ended by themselves, or after `milliseconds`, whichever comes first.
struct BatchRunLimits {
    std::size_t programs = 0;
    std::uint32_t milliseconds = 0;
};

// A batch file running in a job of its own. Everything in the job ends when this object
// goes, and when the setup program ends in whatever way, killed included.
class BatchRun {
public:
    virtual ~BatchRun() = default;
    // Waits until nothing runs in the job any more, calling `keepResponsive` whenever
    // messages arrive for the calling thread.
    virtual BatchRunEnd Wait(FunctionRef<void()> keepResponsive) = 0;
};

// Each start gives the started program the error mode this process was started with, not
// the one it keeps for itself (platform/win32/error_mode.h).
class Shell {
protected:
    // Never deleted through this interface: the program owns each implementation whole.
    ~Shell() = default;

public:
    // SHGetSpecialFolderLocation + SHGetPathFromIDListA into a cleared MAX_PATH buffer;
    // nothing when the folder cannot be resolved.
    virtual std::optional<std::string> SpecialFolderPath(int csidl) = 0;
    // ShellExecuteA with no owner window; an empty verb is the default action. Its value as
    // a status (StatusOfShellExecute).
    virtual Status Execute(const std::string& verb, const std::string& file,
                           const std::string& parameters, const std::string& directory,
                           int showCommand) = 0;
    // Runs the batch file with the system's command interpreter (cmd.exe of the system
    // folder, no AutoRun commands), without a window, in a new job that ends as `limits`
    // say. Nothing when it could not be started inside such a job; it then never ran.
    virtual std::unique_ptr<BatchRun> RunBatch(const std::string& batchPath,
                                               BatchRunLimits limits) = 0;
    // ShellExecuteExA like Execute, for a run that nobody watches: a start that fails shows
    // no box of the system's (SEE_MASK_FLAG_NO_UI), and the call returns once the start is
    // done (SEE_MASK_NOASYNC). A failure is the system's error number, which for the usual
    // causes is the value Execute gives (2 not found, 5 access denied).
    virtual Status ExecuteWithoutUi(const std::string& verb, const std::string& file,
                                    const std::string& parameters, int showCommand) = 0;
    // A new shell-link object; nothing when the object or one of its two interfaces cannot
    // be had, with the failing HRESULT as the status.
    struct CreatedLink {
        std::unique_ptr<ShellLink> link;
        Status status;
    };
    virtual CreatedLink CreateShellLink() = 0;
};

}  // namespace tk::platform
