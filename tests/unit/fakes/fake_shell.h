#pragma once
// A shell that records the programs it is asked to start and answers from a script.
#include <deque>
#include <map>
#include <ostream>
#include <string>
#include <vector>

#include "platform/shell.h"

namespace tk::fakes {

class FakeShell : public platform::Shell {
public:
    struct Launch {
        std::string verb;
        std::string file;
        std::string parameters;
        std::string directory;
        int showCommand = 0;
        bool operator==(const Launch&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Launch& launch) {
            return out << "{" << launch.verb << "|" << launch.file << "|" << launch.parameters
                       << "|" << launch.directory << "|" << launch.showCommand << "}";
        }
    };

    std::map<int, std::string> specialFolders;
    std::vector<Launch> launches;
    std::deque<std::intptr_t> results;  // answers of the next launches; 33 once they run out
    std::vector<std::string>* log = nullptr;

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
        launches.push_back({verb, file, parameters, directory, showCommand});
        if (log != nullptr) {
            log->push_back("Execute " + verb + "|" + file + "|" + parameters);
        }
        if (results.empty()) {
            return 33;
        }
        const std::intptr_t result = results.front();
        results.pop_front();
        return result;
    }
    std::unique_ptr<platform::ShellLink> CreateShellLink(long& error) override {
        error = -2147467259;  // E_FAIL: no shell links here
        return nullptr;
    }
};

}  // namespace tk::fakes
