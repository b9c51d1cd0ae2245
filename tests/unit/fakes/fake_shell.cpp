#include "fakes/fake_shell.h"

namespace tk::fakes {

class FakeShellLink : public platform::ShellLink {
public:
    explicit FakeShellLink(FakeShell& shell) : shell_(shell) {}
    long SetPath(const std::string& target) override {
        target_ = target;
        return 0;
    }
    long SetWorkingDirectory(const std::string& folder) override {
        folder_ = folder;
        return 0;
    }
    long Save(const std::string& linkPath) override {
        if (shell_.log != nullptr) {
            shell_.log->push_back("Save " + linkPath);
        }
        const std::string folder = FakeFiles::Normal(linkPath.substr(0, linkPath.rfind('\\')));
        if (shell_.readOnlyFolders.count(folder) != 0) {
            return kAccessDeniedHresult;
        }
        const std::string text = target_ + "|" + folder_;
        const auto result = shell_.files_->ReplaceFileContent(
            linkPath, std::span(reinterpret_cast<const std::uint8_t*>(text.data()), text.size()));
        return result == platform::ReplaceResult::Replaced ? 0 : kAccessDeniedHresult;
    }

private:
    FakeShell& shell_;
    std::string target_;
    std::string folder_;
};

std::optional<std::string> FakeShell::SpecialFolderPath(int csidl) {
    const auto found = specialFolders.find(csidl);
    if (found == specialFolders.end()) {
        return std::nullopt;
    }
    return found->second;
}

std::intptr_t FakeShell::Execute(const std::string& verb, const std::string& file,
                                 const std::string& parameters, const std::string& directory,
                                 int showCommand) {
    launches.push_back({verb, file, parameters, directory, showCommand});
    if (log != nullptr) {
        log->push_back("Execute " + verb + "|" + file + "|" + parameters);
    }
    if (onLaunch) {
        onLaunch(launches.back());
    }
    if (results.empty()) {
        return 33;
    }
    const std::intptr_t result = results.front();
    results.pop_front();
    return result;
}

namespace {

class FakeStartedProgram : public platform::StartedProgram {
public:
    explicit FakeStartedProgram(FakeShell& shell) : shell_(shell) {}
    bool WaitForEnd(std::uint32_t milliseconds) override {
        shell_.waits.push_back(milliseconds);
        return shell_.startedProgramsEnd;
    }
    void Terminate() override { ++shell_.terminatedPrograms; }

private:
    FakeShell& shell_;
};

}  // namespace

std::unique_ptr<platform::StartedProgram> FakeShell::Start(const std::string& verb,
                                                           const std::string& file,
                                                           int showCommand) {
    if (Execute(verb, file, "", "", showCommand) <= 32) {
        return nullptr;
    }
    return std::make_unique<FakeStartedProgram>(*this);
}

std::unique_ptr<platform::ShellLink> FakeShell::CreateShellLink(long& error) {
    error = files_ == nullptr ? static_cast<long>(0x80004005u) : createError;
    if (error != 0) {
        return nullptr;
    }
    return std::make_unique<FakeShellLink>(*this);
}

}  // namespace tk::fakes
