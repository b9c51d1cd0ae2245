#pragma once
// Makes folders and remembers which of them it made, so that a run that must leave nothing
// behind can take them away again.
#include <string>
#include <vector>

#include "platform/files.h"

namespace tk::install {

class FolderMaker {
public:
    explicit FolderMaker(platform::Files& files) : files_(files) {}
    // Makes the folder together with its missing parents unless it exists: success when it
    // exists afterwards, or when the name is empty (nothing to make); else the system's error
    // for the first folder that could not be made.
    platform::Status Make(const std::string& folder);
    // Removes the folders made so far, deepest first; one that is not empty stays.
    void RemoveMade();

private:
    platform::Files& files_;
    std::vector<std::string> made_;  // in the order made
};

}  // namespace tk::install
