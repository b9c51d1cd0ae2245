#pragma once
// What a setup run has begun on the computer and not yet seen through: the folders it writes
// staged files into and the restart copies it writes. The record lies in the machine's part
// of the registry, which an account without administrator rights cannot change, under one
// name for every edition and folder, so that the next run finds what a killed run left
// wherever it was.
#include <string>
#include <vector>

#include "platform/files.h"
#include "platform/registry.h"

namespace tk::install {

inline constexpr char kRunRecordKey[] = "SOFTWARE\\tidyKiosk\\Setup";
inline constexpr char kRunRecordValue[] = "Begun";

class RunRecord {
public:
    RunRecord(platform::Registry& registry, platform::Files& files)
        : registry_(registry), files_(files) {}

    // Takes away what an earlier run left when it was ended before it could tidy up: the
    // staged files in every folder it noted, and every restart copy it noted (with its
    // rename, where that was already added); then forgets that run.
    void FinishEarlierRun();
    // Notes, before anything is written there, that this run stages files in these folders.
    void Staging(const std::vector<std::string>& folders);
    // Notes a restart copy before it is written; Settled once its rename is pending.
    void CopyBegun(const std::string& copy);
    void CopySettled(const std::string& copy);
    // Everything this run began is in place, pending for the restart, or gone.
    void Close();

private:
    std::vector<std::string> Read();
    void Write();

    platform::Registry& registry_;
    platform::Files& files_;
    std::vector<std::string> entries_;  // folders end in a backslash, copies do not
};

}  // namespace tk::install
