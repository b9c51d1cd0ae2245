#pragma once
// Access lists that either take or refuse a grant, and private files kept (and locked)
// in FakeFiles.
#include <memory>
#include <set>
#include <stdexcept>
#include <string>
#include <utility>
#include <vector>

#include "fakes/fake_files.h"
#include "platform/security.h"

namespace tk::fakes {

class FakeSecurity : public platform::Security {
public:
    explicit FakeSecurity(FakeFiles& files) : files_(files) {}

    std::set<std::string> refusedFolders;  // a grant on one of these fails
    bool privateWriteFails = false;
    bool grantThrows = false;         // a grant throws, as an unexpected failure would
    std::vector<std::string> grants;  // every folder a grant was tried on, in order
    std::vector<std::string>* log = nullptr;

    bool EnablePrivilege(const std::string&, bool) override { return true; }
    bool GrantEveryoneFullAccess(const std::string& folder) override {
        grants.push_back(folder);
        if (log != nullptr) {
            log->push_back("Grant " + folder);
        }
        if (grantThrows) {
            throw std::runtime_error("grant");
        }
        return refusedFolders.count(folder) == 0;
    }
    // The file is locked in FakeFiles while the returned object lives.
    std::unique_ptr<platform::LockedFile> WritePrivateFile(const std::string& path,
                                                           const std::string& bytes) override {
        if (log != nullptr) {
            log->push_back("WritePrivateFile " + path);
        }
        files_.RemoveFile(path);
        if (privateWriteFails || files_.FileExists(path) ||
            files_.ReplaceFileContent(
                path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                bytes.size())) != platform::ReplaceResult::Replaced) {
            return nullptr;
        }
        return std::make_unique<Lock>(*this, path);
    }

private:
    class Lock : public platform::LockedFile {
    public:
        Lock(FakeSecurity& owner, std::string path) : owner_(owner), path_(std::move(path)) {
            owner_.files_.lockedFiles.insert(path_);
        }
        ~Lock() override {
            owner_.files_.lockedFiles.erase(path_);
            if (owner_.log != nullptr) {
                owner_.log->push_back("Release " + path_);
            }
        }

    private:
        FakeSecurity& owner_;
        std::string path_;
    };

    FakeFiles& files_;
};

}  // namespace tk::fakes
