// What a Windows program that drives the library's windows needs to know of the system's
// own ones: a window's class and text, and a message box as the system builds it. Shared by
// devhost's message-box watcher and the windowing layer's tests under Wine.
#pragma once

#include <windows.h>

#include <cstddef>
#include <string>

namespace host::win {

// The class of a dialog, a message box's among them.
inline constexpr char kDialogClass[] = "#32770";
// The id of a message box's text control.
inline constexpr int kMessageBoxTextId = 0xFFFF;

inline std::string ClassName(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

inline std::string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

// A message box is a dialog that the system builds without a module of the caller's (the
// library's dialogs come from the library's module), with its text control.
inline bool IsMessageBox(HWND hwnd) {
    if (ClassName(hwnd) != kDialogClass || !GetDlgItem(hwnd, kMessageBoxTextId))
        return false;
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    return module == nullptr || module == GetModuleHandleA("user32.dll");
}

// The icon a box shows: the stop sign or none (the library shows no other icon).
inline bool ShowsStopIcon(HWND box) {
    const HICON stop = LoadIconA(nullptr, MAKEINTRESOURCEA(32513)); // IDI_HAND
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != "Static" ||
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (icon && icon == stop && IsWindowVisible(child))
            return true;
    }
    return false;
}

} // namespace host::win
