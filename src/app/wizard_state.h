#pragma once
// What the wizard shows and collects, shared by the window and its model. The install itself
// gets only the request the model makes of it.
#include <string>

#include "install/catalogue.h"

namespace tk::app {

struct WizardState {
    install::EditionCode edition = install::kServerEdition;
    std::string appName;
    std::string installFolder;
    int pageIndex = 0;
};

}  // namespace tk::app
