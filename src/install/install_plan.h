#pragma once
// What a run will do to the computer's files, decided before anything is written: for each
// payload file of the edition its target, where its new content waits until it is put in
// place, and what becomes of it when another program holds the target; and the operations
// left for the next restart, each name at most once.
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "install/catalogue.h"
#include "platform/files.h"

namespace tk::install {

// What happens to a file whose target another program holds open.
enum class WhenHeld {
    // Its copy beside the target replaces the target at the next restart; unless the drive
    // is a network or substituted one, which does not exist yet then (asked of the system
    // only when a target is held: the question costs more than the rest of a file's work).
    ReplaceAtRestart,
    NameTooLong,  // the copy's name would not fit in a path: left as it is
};

struct PlannedFile {
    int id = 0;
    std::string relativePath;  // as the catalogue names it, markers removed
    std::string target;
    std::string stagedIn;     // the folder its new content is written into first: the target's
    std::string restartCopy;  // "~" and the target's name beside it; empty with NameTooLong
    WhenHeld whenHeld = WhenHeld::ReplaceAtRestart;
};

// The file an entry of the catalogue (or of the client language list, `language`) becomes
// in this edition, or nothing when the edition does not install it.
std::optional<PlannedFile> PlanFile(int id, std::string_view entry, bool language,
                                    EditionCode edition, const std::string& installFolder,
                                    const std::string& dataFolder);

struct InstallPlan {
    std::vector<PlannedFile> files;  // in the order they are written
    // Every folder that files are staged in, once each, in the order first used.
    std::vector<std::string> StagingFolders() const;
};

InstallPlan PlanInstall(EditionCode edition, const std::string& installFolder,
                        const std::string& dataFolder,
                        std::span<const PayloadEntry> catalogue = PayloadCatalogue(),
                        std::span<const PayloadEntry> clientLanguages = ClientLanguageList());

// An operation of the next restart: `from` replaces `to`, or is deleted when `to` is empty.
struct RestartOp {
    std::string from;
    std::string to;
    bool operator==(const RestartOp&) const = default;
};

// The restart operations of one run, carried into the system's list as they are added.
// The system carries its list out in order, so a name must be taken there once: whatever
// the list holds for a name (an older rename of it, its deletion pending from an earlier
// run) is withdrawn before a new operation of that name is added.
class RestartList {
public:
    explicit RestartList(platform::Files& files) : files_(files) {}
    // `from` replaces `to` at the next restart; false when that is not pending.
    bool Rename(const std::string& from, const std::string& to);
    // `path` is deleted at the next restart; false when that is not pending.
    bool Delete(const std::string& path);
    // Nothing happens to `path` at the next restart; false when something still may.
    bool Withdraw(const std::string& path);
    // This run's operations in the system's list, in order.
    const std::vector<RestartOp>& Ops() const { return ops_; }

private:
    bool Add(RestartOp op);

    platform::Files& files_;
    std::vector<RestartOp> ops_;
};

}  // namespace tk::install
