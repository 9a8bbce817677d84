// Modules of the process as the layer knows them: the application object of each, the
// resources each embeds (parsed on first use) and the bitmaps loaded from them.
#pragma once

#include <string>

#include "platform/Application.h"
#include "platform/linux/ResourceFile.h"

namespace ui::detail {

struct ModuleIdentity {
    const void* Base = nullptr; // where the shared object or program is loaded
    std::string Title;          // its file name without directory and extension
};

// The module that holds `address` (static storage or code); no base for other memory.
ModuleIdentity ModuleContaining(const void* address);

void RegisterApplication(Application& application, const void* moduleBase);
void UnregisterApplication(Application& application);
// The most recently constructed application that still exists.
Application* CurrentApplication();

// The resources of the current application's module, or why there are none.
struct ModuleResourceSet {
    const rc::Resources* Resources = nullptr;
    std::string ModuleTitle;
    std::string Error;
};
ModuleResourceSet CurrentModuleResources();

// A bitmap of the current application's module, loaded once; nullptr when missing.
Bitmap LoadModuleBitmap(int resourceId);
// The pixels of a loaded bitmap, or nullptr for an unknown one.
const desktop::Pixels* PixelsOf(Bitmap bitmap);

} // namespace ui::detail
