// The configuration library as the host sees it: loaded, opened with DriverConfig, and
// the top-level windows it has shown, in the order they were opened.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

namespace devhost {

class LibraryWindows {
public:
    LibraryWindows(std::string root, std::string module, std::string extra)
        : root_(std::move(root)), module_(std::move(module)), extra_(std::move(extra)) {}
    ~LibraryWindows();
    LibraryWindows(const LibraryWindows&) = delete;
    LibraryWindows& operator=(const LibraryWindows&) = delete;

    // Loads the library and finds DriverConfig; false with Error() set when it cannot.
    bool Load(const std::string& libraryPath);
    // Calls DriverConfig(0, root, module, extra) on this thread and returns its result.
    int OpenWindow();
    // The library's visible top-level window that is active, else the one opened last.
    HWND CurrentWindow() const;
    bool AnyWindowVisible() const { return CurrentWindow() != nullptr; }
    void Unload();
    const std::string& Error() const { return error_; }

private:
    using DriverConfigFunction = int(__cdecl*)(int, const char*, const char*, const char*);

    void NoteNewWindows();

    std::string root_;
    std::string module_;
    std::string extra_;
    std::string error_;
    HMODULE library_ = nullptr;
    DriverConfigFunction driverConfig_ = nullptr;
    std::vector<HWND> windows_; // in the order they were opened
};

} // namespace devhost
