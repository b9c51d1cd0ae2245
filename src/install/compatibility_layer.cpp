#include "install/compatibility_layer.h"

#include <string>

#include "install/install_error.h"

namespace tk::install {

void SetCompatibilityLayer(platform::Registry& registry, platform::System& system) {
    const std::string program = system.ModulePath();
    for (const platform::RegistryRoot root :
         {platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser}) {
        const platform::OpenedKey opened = registry.OpenKey(root, std::string(kLayersKey));
        if (!opened.status) {
            continue;
        }
        if (!registry.SetString(opened.key, program, std::string(kCompatibilityLayer))) {
            throw InstallError("Failed to set data for '" + program + "'");
        }
    }
}

}  // namespace tk::install
