#pragma once
#include "platform/shell.h"

namespace tk::platform::win32 {

class Win32Shell final : public Shell {
public:
    std::optional<std::string> SpecialFolderPath(int csidl) override;
    Status Execute(const std::string& verb, const std::string& file, const std::string& parameters,
                   const std::string& directory, int showCommand) override;
    Status ExecuteWithoutUi(const std::string& verb, const std::string& file,
                            const std::string& parameters, int showCommand) override;
    std::unique_ptr<StartedProgram> Start(const std::string& verb, const std::string& file,
                                          int showCommand) override;
    CreatedLink CreateShellLink() override;
};

}  // namespace tk::platform::win32
