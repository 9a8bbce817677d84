// The host's side of the library: loading it, opening its windows with DriverConfig, and
// finding the windows it shows. Shared by the scripted and the terminal front end.
#pragma once

#include <string>

#include "platform/Window.h"

namespace host {

class LibraryHost {
public:
    LibraryHost(std::string root, std::string module, std::string extra)
        : root_(std::move(root)), module_(std::move(module)), extra_(std::move(extra)) {}
    ~LibraryHost();
    LibraryHost(const LibraryHost&) = delete;
    LibraryHost& operator=(const LibraryHost&) = delete;

    // Loads the library and finds DriverConfig; false with Error() set when it cannot.
    bool Load(const std::string& libraryPath);
    // Calls DriverConfig(0, root, module, extra) on this thread and returns its result.
    int OpenWindow();
    // The library's visible top-level window that was opened or activated last.
    ui::WindowHandle CurrentWindow() const;
    bool AnyWindowVisible() const { return CurrentWindow() != nullptr; }
    // Unloads the library (after the host has destroyed its windows).
    void Unload();
    const std::string& Error() const { return error_; }

private:
    using DriverConfigFunction = int (*)(int, const char*, const char*, const char*);

    std::string root_;
    std::string module_;
    std::string extra_;
    std::string error_;
    void* library_ = nullptr;
    DriverConfigFunction driverConfig_ = nullptr;
};

} // namespace host
