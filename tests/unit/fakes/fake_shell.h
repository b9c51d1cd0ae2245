#pragma once
// A shell whose special folders and shell links live in a FakeFiles file system. A saved
// link is a file whose text is "target|working directory".
#include <functional>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "platform/shell.h"

namespace tk::fakes {

inline constexpr long kAccessDeniedHresult = static_cast<long>(0x80070005u);

class FakeShell : public platform::Shell {
public:
    explicit FakeShell(FakeFiles& files) : files_(files) {}

    std::map<int, std::string> specialFolders;  // csidl -> path; missing ones are unknown
    std::set<std::string> readOnlyFolders;      // a Save into one of these is refused
    long createError = 0;                       // nonzero: no shell link object
    struct Execution {
        std::string verb, file, parameters, directory;
        int showCommand;
    };
    std::vector<Execution> executions;
    std::function<void(const Execution&)> onExecute;  // what the started program does
    std::vector<std::string>* log = nullptr;

    std::optional<std::string> SpecialFolderPath(int csidl) override;
    std::intptr_t Execute(const std::string& verb, const std::string& file,
                          const std::string& parameters, const std::string& directory,
                          int showCommand) override;
    std::unique_ptr<platform::ShellLink> CreateShellLink(long& error) override;

private:
    friend class FakeShellLink;
    FakeFiles& files_;
};

}  // namespace tk::fakes
