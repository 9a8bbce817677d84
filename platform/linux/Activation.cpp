#include "platform/linux/Activation.h"

namespace ui::detail {
namespace {

thread_local WindowHandle activeWindow = nullptr;
thread_local WindowHandle focusWindow = nullptr;

bool IsWithin(const WindowObject* window, const WindowObject& ancestor) {
    for (const WindowObject* node = window; node; node = node->Parent)
        if (node == &ancestor)
            return true;
    return false;
}

} // namespace

WindowObject* ActiveWindow() {
    return Find(activeWindow);
}

void Activate(WindowObject* window) {
    activeWindow = window ? &TopLevelOf(*window) : nullptr;
    Changed();
}

WindowObject* FocusWindow() {
    return Find(focusWindow);
}

void Focus(WindowObject* window) {
    focusWindow = window;
    if (window)
        activeWindow = &TopLevelOf(*window);
    Changed();
}

void Deactivate(WindowObject& window) {
    if (IsWithin(FocusWindow(), window))
        focusWindow = nullptr;
    if (ActiveWindow() != &window)
        return;
    WindowObject* owner = window.Owner;
    activeWindow = owner && owner->Visible && !owner->Destroying ? owner : nullptr;
}

void Forget(WindowObject& window) {
    if (focusWindow == &window)
        focusWindow = nullptr;
    if (activeWindow != &window)
        return;
    WindowObject* owner = Find(window.Owner);
    activeWindow = owner && owner->Visible && !owner->Destroying ? owner : nullptr;
}

} // namespace ui::detail
