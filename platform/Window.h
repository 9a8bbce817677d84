// A thin, copyable wrapper over a window handle and the window operations the dialogs use.
#pragma once

#include <string>
#include <string_view>

#include "platform/Constants.h"

namespace ui {

// Opaque handles: HWND, HTREEITEM and HBITMAP in the Windows implementation, the layer's
// own objects in the Linux implementation.
struct WindowObject;
using WindowHandle = WindowObject*;
struct TreeItemObject;
using TreeItem = TreeItemObject*;
struct BitmapObject;
using Bitmap = BitmapObject*;

struct Rect {
    int Left = 0;
    int Top = 0;
    int Right = 0;
    int Bottom = 0;
    int Width() const { return Right - Left; }
    int Height() const { return Bottom - Top; }
    friend bool operator==(const Rect&, const Rect&) = default;
};

class Window {
public:
    Window() = default;
    explicit Window(WindowHandle handle) : handle_(handle) {}

    WindowHandle Handle() const { return handle_; }
    void Attach(WindowHandle handle) { handle_ = handle; }
    explicit operator bool() const { return handle_ != nullptr; }

    // SW_SHOWNORMAL or SW_HIDE; returns whether the window was visible before.
    bool ShowWindow(int command) const;
    // Returns whether the window was disabled before.
    bool EnableWindow(bool enable) const;
    bool IsWindowVisible() const;
    bool IsWindowEnabled() const;
    bool MoveWindow(int x, int y, int width, int height, bool repaint) const;
    Rect GetClientRect() const;
    // In screen coordinates; ScreenToClient turns them into this window's client coordinates.
    Rect GetWindowRect() const;
    void ScreenToClient(Rect& rect) const;
    Window GetDlgItem(int id) const;
    int GetDlgCtrlID() const;
    bool SetWindowTextA(std::string_view text) const;
    std::string GetWindowTextA() const;
    bool RedrawWindow(unsigned flags) const;
    // The parent of a child window, the owner of a top-level one.
    Window GetParent() const;
    Window SetFocus() const;
    int IsDlgButtonChecked(int id) const;
    bool CheckRadioButton(int firstId, int lastId, int checkId) const;
    // A message box owned by this window.
    int MessageBoxA(const char* text, const char* caption, unsigned flags) const;

private:
    WindowHandle handle_ = nullptr;
};

// A modal message box; caption nullptr shows the application's title (the module's file
// name without its extension), or "Error" when no application is registered.
int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned flags);

// The active window of the calling thread (nullptr when none).
Window GetActiveWindow();

} // namespace ui
