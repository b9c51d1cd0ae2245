#pragma once
// Fake shell: a fixed special-folder answer and a record of the programs started.
#include <map>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tk::fakes {

class FakeProgramShell : public platform::Shell {
public:
    struct Start {
        std::string verb;
        std::string file;
        std::string parameters;
        std::string directory;
        int showCommand;
    };

    std::map<int, std::string> specialFolders{{platform::kCsidlProgramFiles, "C:\\Program Files"}};
    std::vector<std::intptr_t> executeResults;  // answers in turn; 33 once they run out
    std::vector<Start> starts;

    std::optional<std::string> SpecialFolderPath(int csidl) override {
        const auto found = specialFolders.find(csidl);
        if (found == specialFolders.end()) {
            return std::nullopt;
        }
        return found->second;
    }
    std::intptr_t Execute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override {
        starts.push_back({verb, file, parameters, directory, showCommand});
        return starts.size() <= executeResults.size() ? executeResults[starts.size() - 1] : 33;
    }
    std::unique_ptr<platform::ShellLink> CreateShellLink(long& error) override {
        error = -1;
        return nullptr;
    }
};

}  // namespace tk::fakes
