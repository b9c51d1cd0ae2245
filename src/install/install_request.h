#pragma once
// What one run installs: made once, from a silent command line or by the wizard's model when
// Install is pressed, and never changed afterwards.
#include <string>

#include "install/catalogue.h"

namespace tk::install {

struct InstallRequest {
    EditionCode edition = kServerEdition;
    // A silent run's folder is already full and in its long form; the wizard's is the one
    // its folder page confirmed. The install adds the final backslash.
    std::string installFolder;
};

}  // namespace tk::install
