#include "install/compatibility_layer.h"

#include <string>

#include "install/install_error.h"

namespace tk::install {

void SetCompatibilityLayer(platform::Registry& registry, platform::System& system) {
    const std::string program = system.ModulePath();
    for (const platform::RegistryRoot root :
         {platform::RegistryRoot::LocalMachine, platform::RegistryRoot::CurrentUser}) {
        platform::Registry::Key key = 0;
        if (!registry.OpenKey(root, std::string(kLayersKey), key)) {
            continue;
        }
        const platform::OpenedKey opened(registry, key);
        if (!registry.SetString(key, program, std::string(kCompatibilityLayer))) {
            throw InstallError("Failed to set data for '" + program + "'");
        }
    }
}

}  // namespace tk::install
