#include "install/install_plan.h"

#include <algorithm>
#include <utility>

#include "platform/paths.h"

namespace tk::install {
namespace {

struct Placement {
    std::string path;  // relative, markers removed
    bool inDataFolder = false;
};

// Where this edition installs a catalogue entry, or nothing when it does not install it.
std::optional<Placement> Place(std::string entry, EditionCode edition) {
    const bool forClient = !entry.empty() && entry.front() == '+';
    if (edition == kClientEdition && !forClient) {
        return std::nullopt;
    }
    if (forClient) {
        entry.erase(0, 1);
    }
    const bool inDataFolder = !entry.empty() && entry.front() == '-';
    if (inDataFolder) {
        entry.erase(0, 1);
    }
    return Placement{std::move(entry), inDataFolder};
}

// The one hidden file beside a target that waits to replace it at the next restart. Its
// name depends only on the target, so installing again renews it instead of adding another.
// Empty when it would not fit in the 259 characters a path may have.
std::string RestartCopyOf(const std::string& target) {
    const auto slash = target.rfind('\\');
    const std::string_view whole = target;
    const std::string copy = Joined({whole.substr(0, slash + 1), "~",
                                     whole.substr(slash == std::string::npos ? 0 : slash + 1)});
    return copy.size() <= 259 ? copy : std::string();
}

}  // namespace

std::optional<PlannedFile> PlanFile(int id, std::string_view entry, bool language,
                                    EditionCode edition, const std::string& installFolder,
                                    const std::string& dataFolder) {
    // The client language list names paths in the data folder, without markers.
    const auto placed = language ? std::optional(Placement{std::string(entry), true})
                                 : Place(std::string(entry), edition);
    if (!placed) {
        return std::nullopt;
    }
    PlannedFile file;
    file.id = id;
    file.relativePath = placed->path;
    file.target = (placed->inDataFolder ? dataFolder : installFolder) + placed->path;
    file.stagedIn = FolderOf(file.target);
    file.restartCopy = RestartCopyOf(file.target);
    file.whenHeld = file.restartCopy.empty() ? WhenHeld::NameTooLong : WhenHeld::ReplaceAtRestart;
    return file;
}

std::vector<std::string> InstallPlan::StagingFolders() const {
    std::vector<std::string> folders;
    for (const PlannedFile& file : files) {
        if (std::find(folders.begin(), folders.end(), file.stagedIn) == folders.end()) {
            folders.push_back(file.stagedIn);
        }
    }
    return folders;
}

InstallPlan PlanInstall(EditionCode edition, const std::string& installFolder,
                        const std::string& dataFolder, std::span<const PayloadEntry> catalogue,
                        std::span<const PayloadEntry> clientLanguages) {
    InstallPlan plan;
    const auto add = [&](const PayloadEntry& entry, bool language) {
        if (auto file =
                PlanFile(entry.id, entry.entry, language, edition, installFolder, dataFolder)) {
            plan.files.push_back(std::move(*file));
        }
    };
    for (const PayloadEntry& entry : catalogue) {
        add(entry, false);
    }
    if (edition == kClientEdition) {
        for (const PayloadEntry& entry : clientLanguages) {
            add(entry, true);
        }
    }
    return plan;
}

bool RestartList::Add(RestartOp op) {
    if (!Withdraw(op.from)) {
        return false;
    }
    if (!files_.ScheduleAtRestart(op.from, op.to)) {
        return false;
    }
    ops_.push_back(std::move(op));
    return true;
}

bool RestartList::Rename(const std::string& from, const std::string& to) {
    return Add({from, to});
}

bool RestartList::Delete(const std::string& path) {
    return Add({path, std::string()});
}

bool RestartList::Withdraw(const std::string& path) {
    if (!files_.WithdrawFromRestart(path)) {
        return false;
    }
    std::erase_if(ops_, [&](const RestartOp& op) { return op.from == path; });
    return true;
}

}  // namespace tk::install
