#pragma once
#include "platform/shell.h"

namespace tk::platform::win32 {

class Win32Shell final : public Shell {
public:
    std::optional<std::string> SpecialFolderPath(int csidl) override;
    Status Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                   const std::string& directory, int showCommand) override;
    std::unique_ptr<BatchRun> RunBatch(const std::string& batchPath,
                                       BatchRunLimits limits) override;
    Status ExecuteWithoutUi(const std::string& verb, const std::string& file,
                            const std::string& parameters, int showCommand) override;
    CreatedLink CreateShellLink() override;
};

}  // namespace tk::platform::win32
