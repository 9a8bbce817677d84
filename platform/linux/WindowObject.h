// The Linux implementation's window objects: what a window handle points at, the set of
// live windows, their destruction, geometry and the notifications controls send.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <variant>
#include <vector>

#include "platform/Dialog.h"
#include "platform/linux/ControlState.h"
#include "platform/linux/Desktop.h"
#include "platform/linux/TreeModel.h"

namespace ui {

struct WindowObject {
    desktop::Kind Kind = desktop::Kind::Frame;
    int Id = 0;
    std::string Text;
    // The window rectangle in pixels: in the parent's client coordinates for a child, in
    // screen coordinates for a top-level window.
    Rect Bounds;
    // A captioned window's client area starts one text row below its top.
    int CaptionHeight = 0;
    bool Visible = false;
    bool Enabled = true;
    bool Destroying = false;
    // A dialog's window while Create runs: destroyed then, Create fails and the dialog's
    // PostNcDestroy does not run.
    bool Creating = false;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    WindowObject* Parent = nullptr;
    WindowObject* Owner = nullptr;
    std::vector<std::unique_ptr<WindowObject>> Children;
    // The object whose handlers get this window's messages (dialogs only).
    Dialog* DialogObject = nullptr;
    std::string ModuleTitle;
    std::variant<std::monostate, detail::ButtonState, detail::ComboState, detail::TabState,
                 detail::TreeModel, detail::PictureState>
        State;

    template <class T> T* StateAs() { return std::get_if<T>(&State); }
};

namespace detail {

inline constexpr int kCaptionHeight = 13;

// The live window behind a handle, or nullptr for a destroyed or unknown one.
WindowObject* Find(WindowHandle handle);
template <class T> T* FindState(WindowHandle handle) {
    WindowObject* window = Find(handle);
    return window ? window->StateAs<T>() : nullptr;
}

// A new window, hidden and enabled: a child of `parent`, or top-level when it is nullptr.
WindowObject& CreateWindowObject(desktop::Kind kind, WindowObject* parent);
// Destroys the window's owned windows, then sends WM_DESTROY to it and (parents before
// children) to its children, frees them all and finally runs the dialogs' PostNcDestroy.
void DestroyWindowObject(WindowObject& window);
std::vector<WindowObject*> TopLevelWindows();

WindowObject& TopLevelOf(WindowObject& window);
Rect ScreenRect(const WindowObject& window);
// The screen position of the client area's top left corner.
Rect ClientScreenRect(const WindowObject& window);
void SetBounds(WindowObject& window, Rect bounds);
// Whether a user could act on the window: it and its parents visible and enabled.
bool AcceptsInput(const WindowObject& window);
bool IsReallyVisible(const WindowObject& window);

// Sends WM_COMMAND or WM_NOTIFY with `code` from the control to its dialog. The control
// may be gone when this returns.
void NotifyParent(WindowObject& control, unsigned message, unsigned code);
// Tells the front end that something it shows has changed.
void Changed();
void SetChangeListener(std::function<void()> listener);

} // namespace detail
} // namespace ui
