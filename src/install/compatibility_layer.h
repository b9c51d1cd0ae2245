#pragma once
// Marks the setup program itself for the Windows XP SP2 compatibility layer, for all
// users and for the current user, so that later starts from the same path use it.
#include <string_view>

#include "platform/registry.h"
#include "platform/system.h"

namespace tk::install {

inline constexpr std::string_view kLayersKey =
    "SOFTWARE\\Microsoft\\Windows NT\\CurrentVersion\\AppCompatFlags\\Layers";
inline constexpr std::string_view kCompatibilityLayer = "WINXPSP2";

// Writes the running program's full path with the layer under each root whose Layers key
// already exists and opens with full access; other roots are skipped. A value that cannot
// be written throws InstallError "Failed to set data for '<path>'" and ends the marking.
void SetCompatibilityLayer(platform::Registry& registry, platform::System& system);

}  // namespace tk::install
