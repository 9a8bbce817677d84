#include "platform/linux/WindowObject.h"

#include <algorithm>
#include <functional>
#include <unordered_set>

#include "platform/linux/Activation.h"

namespace ui::detail {
namespace {

// All windows of the process. The layer is used from one user-interface thread.
struct Registry {
    std::vector<std::unique_ptr<WindowObject>> TopLevel;
    std::unordered_set<const WindowObject*> Live;
    std::function<void()> ChangeListener;
};

// Never destroyed, so that objects with static storage may still ask about windows while
// the process ends.
Registry& Windows() {
    static Registry* registry = new Registry;
    return *registry;
}

void Collect(WindowObject& window, std::vector<WindowObject*>& out) {
    out.push_back(&window);
    for (auto& child : window.Children)
        Collect(*child, out);
}

// WM_DESTROY to the window, then to each child that still exists after it.
void SendDestroy(WindowObject& window) {
    window.Destroying = true;
    if (Dialog* dialog = window.DialogObject)
        dialog->Dispatch(Event{WM_DESTROY, 0, 0});
    std::vector<WindowObject*> children;
    for (auto& child : window.Children)
        children.push_back(child.get());
    for (WindowObject* child : children)
        if (Find(child) && !child->Destroying)
            SendDestroy(*child);
}

// Removes the window and its children from the registry and frees them; returns the
// dialog objects that were attached, children first.
std::vector<Dialog*> Free(WindowObject& window) {
    Registry& registry = Windows();
    std::vector<WindowObject*> doomed;
    Collect(window, doomed);
    std::vector<Dialog*> dialogs;
    for (auto it = doomed.rbegin(); it != doomed.rend(); ++it) {
        WindowObject* object = *it;
        Forget(*object);
        registry.Live.erase(object);
        if (Dialog* dialog = object->DialogObject) {
            object->DialogObject = nullptr;
            if (dialog->Handle() == object)
                dialog->Attach(nullptr);
            if (!object->Creating)
                dialogs.push_back(dialog);
        }
    }
    // Windows created during the destruction may still name a freed owner.
    for (auto& top : registry.TopLevel)
        if (top->Owner && registry.Live.count(top->Owner) == 0)
            top->Owner = nullptr;
    auto& siblings = window.Parent ? window.Parent->Children : registry.TopLevel;
    const auto found = std::find_if(siblings.begin(), siblings.end(), [&window](const auto& entry) {
        return entry.get() == &window;
    });
    if (found != siblings.end())
        siblings.erase(found);
    return dialogs;
}

} // namespace

WindowObject* Find(WindowHandle handle) {
    if (!handle)
        return nullptr;
    return Windows().Live.count(handle) != 0 ? handle : nullptr;
}

WindowObject& CreateWindowObject(desktop::Kind kind, WindowObject* parent) {
    auto window = std::make_unique<WindowObject>();
    window->Kind = kind;
    window->Parent = parent;
    WindowObject& created = *window;
    Registry& registry = Windows();
    (parent ? parent->Children : registry.TopLevel).push_back(std::move(window));
    registry.Live.insert(&created);
    return created;
}

void DestroyWindowObject(WindowObject& window) {
    if (window.Destroying)
        return;
    const WindowHandle handle = &window;
    window.Destroying = true;
    // Owned windows go first, each with its own children.
    std::vector<WindowObject*> owned;
    for (WindowObject* top : TopLevelWindows())
        if (top->Owner == &window)
            owned.push_back(top);
    for (WindowObject* each : owned)
        if (Find(each))
            DestroyWindowObject(*each);
    SendDestroy(window);
    if (!Find(handle))
        return;
    for (Dialog* dialog : Free(window))
        dialog->DispatchNcDestroy();
    Changed();
}

std::vector<WindowObject*> TopLevelWindows() {
    std::vector<WindowObject*> windows;
    for (auto& window : Windows().TopLevel)
        windows.push_back(window.get());
    return windows;
}

WindowObject& TopLevelOf(WindowObject& window) {
    WindowObject* top = &window;
    while (top->Parent)
        top = top->Parent;
    return *top;
}

Rect ScreenRect(const WindowObject& window) {
    if (!window.Parent)
        return window.Bounds;
    const Rect origin = ClientScreenRect(*window.Parent);
    return {window.Bounds.Left + origin.Left, window.Bounds.Top + origin.Top,
            window.Bounds.Right + origin.Left, window.Bounds.Bottom + origin.Top};
}

Rect ClientScreenRect(const WindowObject& window) {
    Rect rect = ScreenRect(window);
    rect.Top = std::min(rect.Bottom, rect.Top + window.CaptionHeight);
    return rect;
}

void SetBounds(WindowObject& window, Rect bounds) {
    window.Bounds = bounds;
    if (auto* tree = window.StateAs<TreeModel>()) {
        // Rows of one text line inside a one-pixel border.
        const int inner = ClientScreenRect(window).Height() - 2;
        tree->SetPageRows(inner / kCaptionHeight);
    }
}

bool AcceptsInput(const WindowObject& window) {
    for (const WindowObject* node = &window; node; node = node->Parent)
        if (!node->Visible || !node->Enabled || node->Destroying)
            return false;
    return true;
}

bool IsReallyVisible(const WindowObject& window) {
    for (const WindowObject* node = &window; node; node = node->Parent)
        if (!node->Visible)
            return false;
    return true;
}

void NotifyParent(WindowObject& control, unsigned message, unsigned code) {
    WindowObject* parent = control.Parent;
    if (!parent || !parent->DialogObject)
        return;
    parent->DialogObject->Dispatch(Event{message, code, control.Id});
}

void Changed() {
    // A copy, so that a listener may replace itself.
    const std::function<void()> listener = Windows().ChangeListener;
    if (listener)
        listener();
}

void SetChangeListener(std::function<void()> listener) {
    Windows().ChangeListener = std::move(listener);
}

} // namespace ui::detail
