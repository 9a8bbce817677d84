#include "host/Library.h"

#include <windows.h>

#include <algorithm>
#include <vector>

namespace host {

struct Library::Loaded {
    using DriverConfigFunction = int(__cdecl*)(int, const char*, const char*, const char*);

    HMODULE Handle = nullptr;
    DriverConfigFunction DriverConfig = nullptr;
    std::vector<HWND> Windows; // in the order they were opened

    void NoteNewWindows();
};

namespace {

struct WindowSearch {
    HMODULE Library;
    std::vector<HWND> Found;
};

BOOL CALLBACK CollectLibraryWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)) == search.Library)
        search.Found.push_back(hwnd);
    return TRUE;
}

} // namespace

// The library's windows are the dialogs built from its own module's resources.
void Library::Loaded::NoteNewWindows() {
    WindowSearch search{Handle, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectLibraryWindow,
                      reinterpret_cast<LPARAM>(&search));
    for (HWND hwnd : search.Found) {
        if (std::find(Windows.begin(), Windows.end(), hwnd) == Windows.end())
            Windows.push_back(hwnd);
    }
}

Library::Library(std::string root, std::string module, std::string extra)
    : root_(std::move(root)), module_(std::move(module)), extra_(std::move(extra)) {}

Library::~Library() {
    Unload();
}

bool Library::Load(const std::string& libraryPath) {
    HMODULE handle = LoadLibraryA(libraryPath.c_str());
    if (!handle) {
        error_ = "error " + std::to_string(GetLastError());
        return false;
    }
    loaded_ = std::make_unique<Loaded>();
    loaded_->Handle = handle;
    loaded_->DriverConfig = reinterpret_cast<Loaded::DriverConfigFunction>(
        reinterpret_cast<void*>(GetProcAddress(handle, "DriverConfig")));
    if (!loaded_->DriverConfig) {
        error_ = libraryPath + " does not export DriverConfig";
        return false;
    }
    return true;
}

int Library::OpenWindow() {
    const int result = loaded_->DriverConfig(0, root_.c_str(), module_.c_str(), extra_.c_str());
    loaded_->NoteNewWindows();
    return result;
}

std::vector<Window> Library::VisibleWindows() const {
    std::vector<Window> windows;
    if (loaded_)
        for (HWND hwnd : loaded_->Windows)
            if (IsWindow(hwnd) && IsWindowVisible(hwnd))
                windows.push_back(hwnd);
    return windows;
}

void Library::Unload() {
    if (loaded_ && loaded_->Handle)
        FreeLibrary(loaded_->Handle);
    loaded_.reset();
}

} // namespace host
