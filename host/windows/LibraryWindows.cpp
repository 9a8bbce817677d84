#include "host/windows/LibraryWindows.h"

#include <algorithm>

namespace devhost {

LibraryWindows::~LibraryWindows() {
    Unload();
}

bool LibraryWindows::Load(const std::string& libraryPath) {
    library_ = LoadLibraryA(libraryPath.c_str());
    if (!library_) {
        error_ = "error " + std::to_string(GetLastError());
        return false;
    }
    driverConfig_ = reinterpret_cast<DriverConfigFunction>(
        reinterpret_cast<void*>(GetProcAddress(library_, "DriverConfig")));
    if (!driverConfig_) {
        error_ = libraryPath + " does not export DriverConfig";
        return false;
    }
    return true;
}

int LibraryWindows::OpenWindow() {
    const int result = driverConfig_(0, root_.c_str(), module_.c_str(), extra_.c_str());
    NoteNewWindows();
    return result;
}

namespace {

struct WindowSearch {
    HMODULE library;
    std::vector<HWND> found;
};

BOOL CALLBACK CollectLibraryWindow(HWND hwnd, LPARAM lParam) {
    auto& search = *reinterpret_cast<WindowSearch*>(lParam);
    if (reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)) == search.library)
        search.found.push_back(hwnd);
    return TRUE;
}

} // namespace

// The library's windows are the dialogs built from its own module's resources.
void LibraryWindows::NoteNewWindows() {
    WindowSearch search{library_, {}};
    EnumThreadWindows(GetCurrentThreadId(), CollectLibraryWindow,
                      reinterpret_cast<LPARAM>(&search));
    for (HWND hwnd : search.found) {
        if (std::find(windows_.begin(), windows_.end(), hwnd) == windows_.end())
            windows_.push_back(hwnd);
    }
}

HWND LibraryWindows::CurrentWindow() const {
    const HWND active = GetActiveWindow();
    HWND last = nullptr;
    for (HWND hwnd : windows_) {
        if (!IsWindow(hwnd) || !IsWindowVisible(hwnd))
            continue;
        if (hwnd == active)
            return hwnd;
        last = hwnd;
    }
    return last;
}

void LibraryWindows::Unload() {
    if (library_)
        FreeLibrary(library_);
    library_ = nullptr;
    driverConfig_ = nullptr;
    windows_.clear();
}

} // namespace devhost
