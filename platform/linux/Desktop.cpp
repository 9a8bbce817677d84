#include "platform/linux/Desktop.h"

#include "platform/ComboBox.h"
#include "platform/TreeView.h"
#include "platform/linux/Activation.h"
#include "platform/linux/Modules.h"
#include "platform/linux/Styles.h"
#include "platform/linux/WindowObject.h"

namespace ui::desktop {
namespace {

using detail::Find;

// The window behind the handle when a user could act on it and it is of the kind.
WindowObject* Actionable(WindowHandle handle, Kind kind) {
    WindowObject* window = Find(handle);
    if (!window || window->Kind != kind || !detail::AcceptsInput(*window))
        return nullptr;
    return window;
}

// An automatic radio button checks itself and clears the other automatic radio buttons
// of its group: from the control with the group style before it up to the next one.
void CheckInGroup(WindowObject& button) {
    auto& siblings = button.Parent->Children;
    std::size_t index = 0;
    while (siblings[index].get() != &button)
        ++index;
    std::size_t first = index;
    while (first > 0 && !(siblings[first]->Style & style::WS_GROUP))
        --first;
    for (std::size_t i = first; i < siblings.size(); ++i) {
        WindowObject& sibling = *siblings[i];
        if (i > first && (sibling.Style & style::WS_GROUP))
            break;
        auto* state = sibling.StateAs<detail::ButtonState>();
        if (state && (sibling.Style & style::BS_TYPEMASK) == style::BS_AUTORADIOBUTTON)
            state->Check = &sibling == &button ? BST_CHECKED : BST_UNCHECKED;
    }
}

} // namespace

WindowHandle CreateFrameWindow(std::string_view title, Rect screenRect) {
    WindowObject& frame = detail::CreateWindowObject(Kind::Frame, nullptr);
    frame.Text = std::string(title);
    frame.Style = style::WS_OVERLAPPEDWINDOW | style::WS_VISIBLE;
    frame.CaptionHeight = detail::kCaptionHeight;
    frame.Visible = true;
    detail::SetBounds(frame, screenRect);
    detail::Activate(&frame);
    return &frame;
}

void DestroyWindow(WindowHandle window) {
    if (WindowObject* object = Find(window))
        detail::DestroyWindowObject(*object);
}

bool IsWindow(WindowHandle window) {
    return Find(window) != nullptr;
}

void SetActiveWindow(WindowHandle window) {
    if (!window || Find(window))
        detail::Activate(Find(window));
}

bool IsReallyVisible(WindowHandle window) {
    const WindowObject* object = Find(window);
    return object && detail::IsReallyVisible(*object);
}

std::vector<WindowHandle> TopLevelWindows() {
    return detail::TopLevelWindows();
}

std::vector<WindowHandle> Children(WindowHandle window) {
    std::vector<WindowHandle> children;
    if (const WindowObject* object = Find(window))
        for (const auto& child : object->Children)
            children.push_back(child.get());
    return children;
}

WindowInfo Inspect(WindowHandle window) {
    WindowInfo info;
    const WindowObject* object = Find(window);
    if (!object)
        return info;
    info.Kind = object->Kind;
    info.Id = object->Id;
    info.Text = object->Text;
    info.ScreenRect = detail::ScreenRect(*object);
    info.Visible = object->Visible;
    info.Enabled = object->Enabled;
    info.Style = object->Style;
    info.ExStyle = object->ExStyle;
    info.Parent = object->Parent;
    info.Owner = object->Owner;
    info.ModuleTitle = object->ModuleTitle;
    return info;
}

WindowHandle FindControl(WindowHandle window, int id) {
    const WindowObject* object = Find(window);
    if (!object)
        return nullptr;
    for (const auto& child : object->Children)
        if (child->Kind != Kind::Dialog && child->Id == id)
            return child.get();
    for (const auto& child : object->Children)
        if (child->Kind == Kind::Dialog)
            if (WindowHandle found = FindControl(child.get(), id))
                return found;
    return nullptr;
}

WindowHandle GetFocus() {
    return detail::FocusWindow();
}

void SetFocus(WindowHandle window) {
    if (!window || Find(window))
        detail::Focus(Find(window));
}

std::vector<TreeRow> VisibleTreeRows(WindowHandle tree) {
    std::vector<TreeRow> rows;
    const auto* model = detail::FindState<detail::TreeModel>(tree);
    if (!model)
        return rows;
    for (TreeItem item : model->VisibleItems())
        rows.push_back({item, model->Depth(item), item->Text, !item->Children.empty(),
                        item->Expanded, item == model->Selected()});
    return rows;
}

int TreeScrollTop(WindowHandle tree) {
    const auto* model = detail::FindState<detail::TreeModel>(tree);
    return model ? model->TopIndex() : 0;
}

std::string ComboEditText(WindowHandle combo) {
    const WindowObject* object = Find(combo);
    return object && object->Kind == Kind::ComboBox ? object->Text : std::string();
}

Pixels BitmapPixels(Bitmap bitmap) {
    const Pixels* pixels = detail::PixelsOf(bitmap);
    return pixels ? *pixels : Pixels{};
}

Bitmap PictureBitmap(WindowHandle picture) {
    const auto* state = detail::FindState<detail::PictureState>(picture);
    return state ? state->Image : nullptr;
}

bool ClickButton(WindowHandle button) {
    WindowObject* window = Find(button);
    if (!window || !detail::AcceptsInput(*window))
        return false;
    switch (window->Kind) {
    case Kind::PushButton:
    case Kind::DefPushButton:
        break;
    case Kind::RadioButton:
        CheckInGroup(*window);
        break;
    default:
        return false;
    }
    detail::Focus(window);
    detail::NotifyParent(*window, WM_COMMAND, BN_CLICKED);
    return true;
}

bool ClickTreeItem(WindowHandle tree, TreeItem item) {
    WindowObject* window = Actionable(tree, Kind::TreeView);
    const auto* model = window ? window->StateAs<detail::TreeModel>() : nullptr;
    if (!model || !model->IsVisible(item))
        return false;
    // The clicked item is selected before the focus arrives, so that focusing an empty
    // selection does not select another item first.
    const bool selected = TreeView(window).SelectItem(item, TVGN_CARET);
    if (WindowObject* still = Find(tree))
        detail::Focus(still);
    return selected;
}

bool ClickTreeButton(WindowHandle tree, TreeItem item) {
    WindowObject* window = Actionable(tree, Kind::TreeView);
    const auto* model = window ? window->StateAs<detail::TreeModel>() : nullptr;
    if (!model || !model->IsVisible(item) || !model->HasChildren(item))
        return false;
    detail::NotifyParent(*window, WM_NOTIFY, TVN_ITEMEXPANDING);
    // The handler may have changed the tree or destroyed it.
    WindowObject* still = Find(tree);
    auto* after = still ? still->StateAs<detail::TreeModel>() : nullptr;
    if (!after || !after->Expand(item, TVE_TOGGLE))
        return true;
    detail::Changed();
    detail::NotifyParent(*still, WM_NOTIFY, TVN_ITEMEXPANDED);
    return true;
}

bool ClickTab(WindowHandle tab, int index) {
    WindowObject* window = Actionable(tab, Kind::TabControl);
    auto* tabs = window ? window->StateAs<detail::TabState>() : nullptr;
    if (!tabs || index < 0 || index >= static_cast<int>(tabs->Tabs.size()))
        return false;
    if (tabs->Selected == index)
        return true;
    tabs->Selected = index;
    detail::Changed();
    detail::NotifyParent(*window, WM_NOTIFY, TCN_SELCHANGE);
    return true;
}

bool ChooseComboItem(WindowHandle combo, int index) {
    WindowObject* window = Actionable(combo, Kind::ComboBox);
    const auto* state = window ? window->StateAs<detail::ComboState>() : nullptr;
    if (!state || index < 0 || index >= static_cast<int>(state->Items.size()))
        return false;
    detail::Focus(window);
    ComboBox(window).SetCurSel(index);
    detail::NotifyParent(*window, WM_COMMAND, CBN_SELCHANGE);
    return true;
}

bool TypeComboText(WindowHandle combo, std::string_view text) {
    WindowObject* window = Actionable(combo, Kind::ComboBox);
    if (!window || (window->Style & style::CBS_TYPEMASK) == style::CBS_DROPDOWNLIST)
        return false;
    detail::Focus(window);
    window->Text = std::string(text);
    detail::Changed();
    return true;
}

bool PressCancel(WindowHandle dialog) {
    WindowObject* window = Actionable(dialog, Kind::Dialog);
    if (!window || !window->DialogObject)
        return false;
    window->DialogObject->Dispatch(Event{WM_COMMAND, BN_CLICKED, IDCANCEL});
    return true;
}

void SetChangeListener(std::function<void()> listener) {
    detail::SetChangeListener(std::move(listener));
}

} // namespace ui::desktop
