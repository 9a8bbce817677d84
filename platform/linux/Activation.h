// The calling thread's active window and keyboard focus.
#pragma once

#include "platform/linux/WindowObject.h"

namespace ui::detail {

// Never a destroyed window.
WindowObject* ActiveWindow();
// Makes the window's top-level window active (nullptr: none).
void Activate(WindowObject* window);
WindowObject* FocusWindow();
// Focuses the window and activates its top-level window.
void Focus(WindowObject* window);
// The window is hidden: a focus inside it is lost, and when it was active its owner, if
// shown, becomes active instead.
void Deactivate(WindowObject& window);
// The window is going away: it is neither active nor focused any more.
void Forget(WindowObject& window);

} // namespace ui::detail
