#include "install/folder_maker.h"

#include "platform/paths.h"

namespace tk::install {

platform::Status FolderMaker::Make(const std::string& folder) {
    std::string at = folder;
    while (!at.empty() && at.back() == '\\') {
        at.pop_back();
    }
    std::vector<std::string> missing;  // the folder first, then its parents
    for (; !at.empty() && !files_.DirectoryExists(at); at = FolderOf(at)) {
        missing.push_back(at);
        if (at.size() == 2 && at[1] == ':') {
            break;  // a drive that is not there; nothing above it
        }
    }
    if (missing.empty()) {
        return platform::Status();
    }
    const platform::Status made = files_.MakeDirectories(folder);
    for (auto parent = missing.rbegin(); parent != missing.rend(); ++parent) {
        if (made.ok() || files_.DirectoryExists(*parent)) {
            made_.push_back(*parent);
        }
    }
    return made;
}

void FolderMaker::RemoveMade() {
    for (auto folder = made_.rbegin(); folder != made_.rend(); ++folder) {
        files_.RemoveEmptyFolder(*folder);
    }
    made_.clear();
}

}  // namespace tk::install
