// The configuration library as the host sees it: loaded, opened with DriverConfig, and the
// top-level windows it shows. One class, with a Linux and a Windows implementation.
#pragma once

#include <memory>
#include <string>
#include <vector>

#include "host/UserActions.h"

namespace host {

class Library {
public:
    Library(std::string root, std::string module, std::string extra);
    ~Library();
    Library(const Library&) = delete;
    Library& operator=(const Library&) = delete;

    // Loads the library and finds DriverConfig; false with Error() set when it cannot.
    bool Load(const std::string& libraryPath);
    // Calls DriverConfig(0, root, module, extra) on this thread and returns its result.
    int OpenWindow();
    // The library's visible top-level window that is active, else the one opened last.
    Window CurrentWindow() const;
    bool AnyWindowVisible() const { return CurrentWindow() != nullptr; }
    // Unloads the library (after the host has destroyed its windows).
    void Unload();
    const std::string& Error() const { return error_; }

private:
    struct Loaded; // the platform's module handle and what it knows of the windows

    // The library's visible top-level windows, in the order they were opened.
    std::vector<Window> VisibleWindows() const;

    std::string root_;
    std::string module_;
    std::string extra_;
    std::string error_;
    std::unique_ptr<Loaded> loaded_;
};

} // namespace host
