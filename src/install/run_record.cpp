#include "install/run_record.h"

#include <algorithm>

#include "install/install_plan.h"

namespace tk::install {
namespace {

constexpr char kSeparator = '|';  // never part of a path

}  // namespace

std::vector<std::string> RunRecord::Read() {
    std::vector<std::string> entries;
    const platform::OpenedKey opened =
        registry_.OpenKey(platform::RegistryRoot::LocalMachine, kRunRecordKey);
    if (!opened.status) {
        return entries;
    }
    std::string text;
    if (!registry_.GetString(opened.key, kRunRecordValue, text)) {
        return entries;
    }
    for (std::size_t at = 0; at < text.size();) {
        const std::size_t end = std::min(text.find(kSeparator, at), text.size());
        if (end > at) {
            entries.push_back(text.substr(at, end - at));
        }
        at = end + 1;
    }
    return entries;
}

// A record that cannot be written costs only the tidying of a killed run: the run goes on.
void RunRecord::Write() {
    const platform::OpenedKey opened =
        registry_.CreateKey(platform::RegistryRoot::LocalMachine, kRunRecordKey);
    if (!opened.status) {
        return;
    }
    if (entries_.empty()) {
        registry_.DeleteValue(opened.key, kRunRecordValue);
        return;
    }
    std::string text;
    for (const std::string& entry : entries_) {
        text += (text.empty() ? "" : std::string(1, kSeparator)) + entry;
    }
    registry_.SetString(opened.key, kRunRecordValue, text);
}

void RunRecord::FinishEarlierRun() {
    const std::vector<std::string> left = Read();
    if (left.empty()) {
        return;
    }
    RestartList restart(files_);
    for (const std::string& entry : left) {
        if (entry.back() == '\\') {
            files_.RemoveLeftovers(entry.substr(0, entry.size() - 1));
        } else if (restart.Withdraw(entry) && !files_.RemoveFile(entry) &&
                   files_.FileExists(entry)) {
            restart.Delete(entry);
        }
    }
    entries_.clear();
    Write();
}

void RunRecord::Staging(const std::vector<std::string>& folders) {
    for (const std::string& folder : folders) {
        const std::string noted = folder + '\\';
        if (std::find(entries_.begin(), entries_.end(), noted) == entries_.end()) {
            entries_.push_back(noted);
        }
    }
    Write();
}

void RunRecord::CopyBegun(const std::string& copy) {
    entries_.push_back(copy);
    Write();
}

void RunRecord::CopySettled(const std::string& copy) {
    std::erase(entries_, copy);
    Write();
}

void RunRecord::Close() {
    entries_.clear();
    Write();
}

}  // namespace tk::install
