#pragma once
// Access lists that either take or refuse a grant, and private files kept in FakeFiles.
#include <set>
#include <string>
#include <vector>

#include "fakes/fake_files.h"
#include "platform/security.h"

namespace tk::fakes {

class FakeSecurity : public platform::Security {
public:
    explicit FakeSecurity(FakeFiles& files) : files_(files) {}

    std::set<std::string> refusedFolders;  // a grant on one of these fails
    bool privateWriteFails = false;
    std::vector<std::string> grants;  // every folder a grant was tried on, in order
    std::vector<std::string>* log = nullptr;

    bool EnablePrivilege(const std::string&, bool) override { return true; }
    bool GrantEveryoneFullAccess(const std::string& folder) override {
        grants.push_back(folder);
        if (log != nullptr) {
            log->push_back("Grant " + folder);
        }
        return refusedFolders.count(folder) == 0;
    }
    bool WritePrivateFile(const std::string& path, const std::string& bytes) override {
        if (log != nullptr) {
            log->push_back("WritePrivateFile " + path);
        }
        files_.RemoveFile(path);
        if (privateWriteFails || files_.FileExists(path)) {
            return false;
        }
        return files_.ReplaceFileContent(
                   path, std::span(reinterpret_cast<const std::uint8_t*>(bytes.data()),
                                   bytes.size())) == platform::ReplaceResult::Replaced;
    }

private:
    FakeFiles& files_;
};

}  // namespace tk::fakes
