#include "host/Library.h"

#include <dlfcn.h>

#include "platform/linux/Desktop.h"

namespace host {

struct Library::Loaded {
    using DriverConfigFunction = int (*)(int, const char*, const char*, const char*);

    void* Handle = nullptr;
    DriverConfigFunction DriverConfig = nullptr;
};

Library::Library(std::string root, std::string module, std::string extra)
    : root_(std::move(root)), module_(std::move(module)), extra_(std::move(extra)) {}

Library::~Library() {
    Unload();
}

bool Library::Load(const std::string& libraryPath) {
    void* handle = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!handle) {
        error_ = dlerror();
        return false;
    }
    loaded_ = std::make_unique<Loaded>();
    loaded_->Handle = handle;
    loaded_->DriverConfig =
        reinterpret_cast<Loaded::DriverConfigFunction>(dlsym(handle, "DriverConfig"));
    if (!loaded_->DriverConfig) {
        error_ = libraryPath + " does not export DriverConfig";
        return false;
    }
    return true;
}

int Library::OpenWindow() {
    return loaded_->DriverConfig(0, root_.c_str(), module_.c_str(), extra_.c_str());
}

// The library's windows are the top-level windows made from a module's resources.
std::vector<Window> Library::VisibleWindows() const {
    std::vector<Window> windows;
    for (const ui::WindowHandle window : ui::desktop::TopLevelWindows())
        if (!ui::desktop::Inspect(window).ModuleTitle.empty() &&
            ui::desktop::IsReallyVisible(window))
            windows.push_back(window);
    return windows;
}

void Library::Unload() {
    if (loaded_ && loaded_->Handle)
        dlclose(loaded_->Handle);
    loaded_.reset();
}

} // namespace host
