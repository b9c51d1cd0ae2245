#pragma once
// A shell that records the programs it is asked to start and answers from a script. Given
// a FakeFiles, it also makes shell links there: a saved link is a file whose text is
// "target|working directory".
#include <deque>
#include <functional>
#include <map>
#include <ostream>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "platform/shell.h"

namespace tk::fakes {

inline constexpr platform::Status kAccessDeniedHresult{0x80070005u};

class FakeShell : public platform::Shell {
public:
    struct Launch {
        std::string verb;
        std::string file;
        std::string parameters;
        std::string directory;
        int showCommand = 0;
        bool withoutUi = false;  // ExecuteWithoutUi
        bool operator==(const Launch&) const = default;
        friend std::ostream& operator<<(std::ostream& out, const Launch& launch) {
            return out << "{" << launch.verb << "|" << launch.file << "|" << launch.parameters
                       << "|" << launch.directory << "|" << launch.showCommand
                       << (launch.withoutUi ? "|without UI}" : "}");
        }
    };

    FakeShell() = default;
    explicit FakeShell(FakeFiles& files) : files_(&files) {}

    std::map<int, std::string> specialFolders;  // csidl -> path; missing ones are unknown
    std::vector<Launch> launches;
    std::deque<std::intptr_t> results;  // ShellExecuteA's answers to the next launches; 33 once
                                        // they run out
    std::function<void(const Launch&)> onLaunch;  // what the started program does
    std::set<std::string> readOnlyFolders;        // a link Save into one of these is refused
    platform::Status createError;                 // a failure: no shell link object
    std::vector<std::string>* log = nullptr;

    std::optional<std::string> SpecialFolderPath(int csidl) override;
    platform::Status Execute(const std::string& verb, const std::string& file,
                             const std::string& parameters, const std::string& directory,
                             int showCommand) override;
    // Records and answers like Execute, the launch marked as one without UI.
    platform::Status ExecuteWithoutUi(const std::string& verb, const std::string& file,
                                      const std::string& parameters, int showCommand) override;
    // Without a FakeFiles there are no shell links (E_FAIL).
    CreatedLink CreateShellLink() override;
    // Records the launch as Execute does ("open", the batch, hidden), then the batch ends
    // as `batchEnd` says; nothing when the launch's result is a failure.
    std::unique_ptr<platform::BatchRun> RunBatch(const std::string& batchPath,
                                                 platform::BatchRunLimits limits) override;
    platform::BatchRunEnd batchEnd;  // by default nothing is known of what it did
    std::vector<platform::BatchRunLimits> batchLimits;

private:
    friend class FakeShellLink;
    platform::Status Launched(Launch launch);
    FakeFiles* files_ = nullptr;
};

}  // namespace tk::fakes
