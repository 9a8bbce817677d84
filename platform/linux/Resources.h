// Resources embedded in a module of the Linux build: the compiled resources (.res) of its
// resource script, registered at load time by generated code (see
// cmake/EmbedResources.cmake).
#pragma once

#include <string_view>

namespace ui {

struct ModuleResources {
    std::string_view Name;  // the .res file's name, for reports
    std::string_view Bytes; // its contents
};

// Registers the resources of the module that contains `resources` (found by its address).
void RegisterModuleResources(const ModuleResources* resources);
// Forgets them again, when the module is unloaded; its bitmaps are released.
void UnregisterModuleResources(const ModuleResources* resources);

} // namespace ui
