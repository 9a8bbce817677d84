// What the Windows implementation shares between its files: the module whose resources
// the dialogs and bitmaps are loaded from, and the conversions between the layer's opaque
// handles and the system's.
#pragma once

#include <windows.h>

#include <string>

#include "platform/Window.h"

namespace ui::win {

// The module of the registered application, or the module that holds this code.
HINSTANCE ResourceModule();
void SetResourceModule(HINSTANCE module);
// The module that holds the platform code (the library it is linked into).
HINSTANCE ThisModule();

inline HWND ToHwnd(WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
inline WindowHandle FromHwnd(HWND hwnd) {
    return reinterpret_cast<WindowHandle>(hwnd);
}

// A module's file name without its folder and extension: the application's title.
std::string ModuleTitle(HINSTANCE module);

// Registers the common control classes (tree view, tab control) once per process.
void InitCommonControlsOnce();

} // namespace ui::win
