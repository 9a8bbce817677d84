#include "platform/linux/Activation.h"

#include "platform/TreeView.h"
#include "platform/linux/TreeModel.h"

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

// A tree view that gets the focus with nothing selected selects the item at the top of
// its view, with the notification, as the system's tree view does: the keys then have an
// item to act on.
void SelectOnFocus(WindowObject& tree) {
    const auto* model = tree.StateAs<TreeModel>();
    if (!model || model->Selected())
        return;
    const std::vector<TreeItem> rows = model->VisibleItems();
    const int top = model->TopIndex();
    if (top < 0 || top >= static_cast<int>(rows.size()))
        return;
    TreeView(&tree).SelectItem(rows[static_cast<std::size_t>(top)], TVGN_CARET);
}

void Focus(WindowObject* window) {
    const bool gained = window && window != focusWindow;
    focusWindow = window;
    if (window)
        activeWindow = &TopLevelOf(*window);
    Changed();
    if (gained && window->Kind == desktop::Kind::TreeView)
        SelectOnFocus(*window);
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
