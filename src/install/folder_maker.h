#pragma once
// Makes folders and remembers which of them it made, so that a run that must leave nothing
// behind can take them away again.
#include <cstdint>
#include <string>
#include <vector>

#include "platform/files.h"

namespace tk::install {

class FolderMaker {
public:
    explicit FolderMaker(platform::Files& files) : files_(files) {}
    // Makes the folder together with its missing parents unless it exists; true when it
    // exists afterwards, or when the name is empty (nothing to make).
    bool Make(const std::string& folder);
    // The system's error number for the folder that the last Make could not make.
    std::uint32_t Error() const { return error_; }
    // Removes the folders made so far, deepest first; one that is not empty stays.
    void RemoveMade();

private:
    platform::Files& files_;
    std::vector<std::string> made_;  // in the order made
    std::uint32_t error_ = 0;
};

}  // namespace tk::install
