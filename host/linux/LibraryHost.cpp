#include "host/linux/LibraryHost.h"

#include <dlfcn.h>

#include "platform/linux/Desktop.h"

namespace host {

LibraryHost::~LibraryHost() { Unload(); }

bool LibraryHost::Load(const std::string& libraryPath) {
    library_ = dlopen(libraryPath.c_str(), RTLD_NOW | RTLD_LOCAL);
    if (!library_) {
        error_ = dlerror();
        return false;
    }
    driverConfig_ = reinterpret_cast<DriverConfigFunction>(dlsym(library_, "DriverConfig"));
    if (!driverConfig_) {
        error_ = libraryPath + " does not export DriverConfig";
        return false;
    }
    return true;
}

int LibraryHost::OpenWindow() {
    return driverConfig_(0, root_.c_str(), module_.c_str(), extra_.c_str());
}

ui::WindowHandle LibraryHost::CurrentWindow() const {
    const ui::WindowHandle active = ui::GetActiveWindow().Handle();
    ui::WindowHandle last = nullptr;
    for (const ui::WindowHandle window : ui::desktop::TopLevelWindows()) {
        if (ui::desktop::Inspect(window).moduleTitle.empty() ||
            !ui::desktop::IsReallyVisible(window))
            continue;
        if (window == active)
            return window;
        last = window;
    }
    return last;
}

void LibraryHost::Unload() {
    if (library_)
        dlclose(library_);
    library_ = nullptr;
    driverConfig_ = nullptr;
}

} // namespace host
