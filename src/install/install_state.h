#pragma once
// The process-wide install state shared by the entry point, the wizard and the install.
#include <string>

#include "install/catalogue.h"

namespace tk::install {

struct InstallState {
    bool silent = false;
    EditionCode edition = kServerEdition;
    std::string appName;
    std::string installFolder;
    int pageIndex = 0;
    std::string silentFolderArgument;  // the third command-line argument in silent mode
};

}  // namespace tk::install
