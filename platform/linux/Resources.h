// Resources embedded in a module of the Linux build: the resource script, the headers it
// includes and the files it names (bitmaps), registered at load time by generated code
// (see cmake/EmbedResources.cmake).
#pragma once

#include <cstddef>
#include <string_view>

namespace ui {

struct EmbeddedFile {
    std::string_view name; // as the script names it ("resource.h", "board.bmp")
    std::string_view bytes;
};

struct ModuleResources {
    std::string_view scriptName;
    std::string_view script;
    const EmbeddedFile* files;
    std::size_t fileCount;
};

// Registers the resources of the module that contains `resources` (found by its address).
void RegisterModuleResources(const ModuleResources* resources);
// Forgets them again, when the module is unloaded; its bitmaps are released.
void UnregisterModuleResources(const ModuleResources* resources);

} // namespace ui
