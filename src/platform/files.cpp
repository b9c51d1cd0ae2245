#include "platform/files.h"

namespace tk::platform {

ReplaceOutcome Files::ReplaceFileContent(const std::string& path, const FileContent& content) {
    std::unique_ptr<StagedFile> staged;
    const ReplaceOutcome written = StageFileContent(path, content, staged);
    return written == ReplaceResult::Replaced ? PutInPlace(*staged) : written;
}

ReplaceOutcome Files::WriteRestartCopy(const std::string& copy, const std::string& target,
                                       const FileContent& content) {
    std::unique_ptr<StagedFile> staged;
    const ReplaceOutcome written = StageFileContent(target, content, staged);
    return written == ReplaceResult::Replaced ? PutAsRestartCopy(*staged, copy) : written;
}

}  // namespace tk::platform
