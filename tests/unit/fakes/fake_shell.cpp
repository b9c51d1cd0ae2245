#include "fakes/fake_shell.h"

namespace tk::fakes {

class FakeShellLink : public platform::ShellLink {
public:
    explicit FakeShellLink(FakeShell& shell) : shell_(shell) {}
    platform::Status SetPath(const std::string& target) override {
        target_ = target;
        return {};
    }
    platform::Status SetWorkingDirectory(const std::string& folder) override {
        folder_ = folder;
        return {};
    }
    platform::Status Save(const std::string& linkPath) override {
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
        return result == platform::ReplaceResult::Replaced ? platform::Status()
                                                           : kAccessDeniedHresult;
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

platform::Status FakeShell::Execute(const std::string& verb, const std::string& file,
                                    const std::string& parameters, const std::string& directory,
                                    int showCommand) {
    return Launched({verb, file, parameters, directory, showCommand, false});
}

platform::Status FakeShell::ExecuteWithoutUi(const std::string& verb, const std::string& file,
                                             const std::string& parameters, int showCommand) {
    return Launched({verb, file, parameters, "", showCommand, true});
}

platform::Status FakeShell::Launched(Launch launch) {
    launches.push_back(std::move(launch));
    if (log != nullptr) {
        log->push_back("Execute " + launches.back().verb + "|" + launches.back().file + "|" +
                       launches.back().parameters);
    }
    if (onLaunch) {
        onLaunch(launches.back());
    }
    if (results.empty()) {
        return {};
    }
    const std::intptr_t result = results.front();
    results.pop_front();
    return platform::StatusOfShellExecute(result);
}

namespace {

class FakeBatchRun : public platform::BatchRun {
public:
    explicit FakeBatchRun(FakeShell& shell) : shell_(shell) {}
    platform::BatchRunEnd Wait(platform::FunctionRef<void()> keepResponsive) override {
        keepResponsive();
        if (shell_.log != nullptr) {
            shell_.log->push_back("BatchEnded");
        }
        return shell_.batchEnd;
    }

private:
    FakeShell& shell_;
};

}  // namespace

std::unique_ptr<platform::BatchRun> FakeShell::RunBatch(const std::string& batchPath,
                                                        platform::BatchRunLimits limits) {
    batchLimits.push_back(limits);
    if (!Execute("open", batchPath, "", "", platform::kShowHidden)) {
        return nullptr;
    }
    return std::make_unique<FakeBatchRun>(*this);
}

platform::Shell::CreatedLink FakeShell::CreateShellLink() {
    const platform::Status status = files_ == nullptr ? platform::Status(0x80004005u) : createError;
    if (!status) {
        return {nullptr, status};
    }
    return {std::make_unique<FakeShellLink>(*this), status};
}

}  // namespace tk::fakes
