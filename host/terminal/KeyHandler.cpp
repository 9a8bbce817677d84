#include "host/terminal/KeyHandler.h"

#include <string>

#include "host/terminal/ComboListControl.h"
#include "platform/ComboBox.h"
#include "platform/TabControl.h"
#include "platform/linux/Desktop.h"

namespace terminal {
namespace {

namespace desktop = ui::desktop;
using desktop::Kind;

bool IsPushButton(Kind kind) {
    return kind == Kind::PushButton || kind == Kind::DefPushButton;
}

struct Focus {
    std::vector<FocusItem> Items;
    int Index = -1;
    ui::WindowHandle Dialog = nullptr;
};

Focus CurrentFocus() {
    Focus focus;
    focus.Dialog = KeyboardDialog();
    if (!focus.Dialog)
        return focus;
    focus.Items = CollectControls(focus.Dialog);
    focus.Index = IndexOf(focus.Items, desktop::GetFocus());
    return focus;
}

int SelectedRow(const std::vector<desktop::TreeRow>& rows) {
    for (int i = 0; i < static_cast<int>(rows.size()); ++i)
        if (rows[static_cast<std::size_t>(i)].Selected)
            return i;
    return -1;
}

} // namespace

void EnsureUsableFocus() {
    const Focus focus = CurrentFocus();
    if (!focus.Dialog)
        return;
    if (focus.Index >= 0 && focus.Items[static_cast<std::size_t>(focus.Index)].Usable)
        return;
    const int first = NextTabStop(focus.Items, -1, false);
    if (first >= 0)
        desktop::SetFocus(focus.Items[static_cast<std::size_t>(first)].Window);
}

ui::WindowHandle EnterButton() {
    const Focus focus = CurrentFocus();
    if (focus.Index >= 0 && IsPushButton(focus.Items[static_cast<std::size_t>(focus.Index)].Kind))
        return focus.Items[static_cast<std::size_t>(focus.Index)].Window;
    const int button = DefaultButton(focus.Items);
    return button >= 0 ? focus.Items[static_cast<std::size_t>(button)].Window : nullptr;
}

void KeyHandler::OnKey(const Key& key) {
    if (OnListKey(key))
        return;
    const Focus focus = CurrentFocus();
    if (!focus.Dialog)
        return;
    const FocusItem* focused =
        focus.Index >= 0 ? &focus.Items[static_cast<std::size_t>(focus.Index)] : nullptr;
    switch (key.Code) {
    case KeyCode::Tab:
    case KeyCode::BackTab: {
        const int next = NextTabStop(focus.Items, focus.Index, key.Code == KeyCode::BackTab);
        if (next >= 0)
            desktop::SetFocus(focus.Items[static_cast<std::size_t>(next)].Window);
        return;
    }
    case KeyCode::CtrlPageUp:
    case KeyCode::CtrlLeft:
        ChangeTab(focus.Items, -1);
        return;
    case KeyCode::CtrlPageDown:
    case KeyCode::CtrlRight:
        ChangeTab(focus.Items, 1);
        return;
    case KeyCode::Escape:
        desktop::PressCancel(focus.Dialog);
        return;
    case KeyCode::Enter:
        PressEnter(focus.Items, focus.Index);
        return;
    default:
        break;
    }
    if (!focused || !focused->Usable)
        return;
    switch (focused->Kind) {
    case Kind::PushButton:
    case Kind::DefPushButton:
        if (key.Code == KeyCode::Space)
            desktop::ClickButton(focused->Window);
        return;
    case Kind::RadioButton:
        OnRadioKey(focus.Items, focus.Index, key);
        return;
    case Kind::TreeView:
        OnTreeKey(focused->Window, key);
        return;
    case Kind::ComboBox:
        OnComboKey(focused->Window, key);
        return;
    case Kind::TabControl:
        if (key.Code == KeyCode::Left || key.Code == KeyCode::Right)
            ChangeTab(focus.Items, key.Code == KeyCode::Left ? -1 : 1);
        return;
    default:
        return;
    }
}

bool KeyHandler::OnListKey(const Key& key) {
    ComboListControl list(view_, screenRows_);
    if (!list.IsOpen())
        return false;
    if (!desktop::IsReallyVisible(view_.List.Combo)) {
        list.Close();
        return false;
    }
    switch (key.Code) {
    case KeyCode::Up:
        list.Move(-1);
        return true;
    case KeyCode::Down:
        list.Move(1);
        return true;
    case KeyCode::Home:
        list.MoveTo(0);
        return true;
    case KeyCode::End:
        list.MoveTo(1 << 20);
        return true;
    case KeyCode::Enter:
        list.Choose();
        return true;
    case KeyCode::Escape:
    case KeyCode::F4:
    case KeyCode::AltDown:
    case KeyCode::AltUp:
        list.Close();
        return true;
    case KeyCode::Tab:
    case KeyCode::BackTab:
        list.Close();
        return false;
    default:
        return true;
    }
}

void KeyHandler::OnTreeKey(ui::WindowHandle tree, const Key& key) {
    const std::vector<desktop::TreeRow> rows = desktop::VisibleTreeRows(tree);
    if (rows.empty())
        return;
    const int selected = SelectedRow(rows);
    const int last = static_cast<int>(rows.size()) - 1;
    const auto select = [&](int index) {
        if (index >= 0 && index <= last && index != selected)
            desktop::ClickTreeItem(tree, rows[static_cast<std::size_t>(index)].Item);
    };
    const bool plus = key.Code == KeyCode::Char && key.Ch == '+';
    const bool minus = key.Code == KeyCode::Char && key.Ch == '-';
    if (key.Code == KeyCode::Down)
        select(selected < 0 ? 0 : selected + 1);
    else if (key.Code == KeyCode::Up)
        select(selected < 0 ? 0 : selected - 1);
    else if (key.Code == KeyCode::Home)
        select(0);
    else if (key.Code == KeyCode::End)
        select(last);
    if (selected < 0 || !(plus || minus || key.Code == KeyCode::Right || key.Code == KeyCode::Left))
        return;

    const desktop::TreeRow& row = rows[static_cast<std::size_t>(selected)];
    if (plus || key.Code == KeyCode::Right) {
        if (row.HasChildren && !row.Expanded)
            desktop::ClickTreeButton(tree, row.Item);
        else if (key.Code == KeyCode::Right && row.HasChildren)
            select(selected + 1); // already open: on to the first child
        return;
    }
    if (row.HasChildren && row.Expanded) {
        desktop::ClickTreeButton(tree, row.Item);
        return;
    }
    if (key.Code == KeyCode::Left)
        for (int parent = selected - 1; parent >= 0; --parent)
            if (rows[static_cast<std::size_t>(parent)].Depth < row.Depth) {
                select(parent);
                return;
            }
}

void KeyHandler::OnComboKey(ui::WindowHandle combo, const Key& key) {
    const ui::ComboBox box(combo);
    switch (key.Code) {
    case KeyCode::F4:
    case KeyCode::AltDown:
        ComboListControl(view_, screenRows_).Open(combo);
        return;
    case KeyCode::Up:
    case KeyCode::Down: {
        // A closed drop-down list steps through its items, each step a choice.
        const int current = box.GetCurSel();
        const int next = current < 0 ? 0 : current + (key.Code == KeyCode::Down ? 1 : -1);
        if (next >= 0 && next < box.GetCount() && next != current)
            desktop::ChooseComboItem(combo, next);
        return;
    }
    case KeyCode::Char:
        desktop::TypeComboText(combo, desktop::ComboEditText(combo) + key.Ch);
        return;
    case KeyCode::Backspace: {
        std::string text = desktop::ComboEditText(combo);
        if (!text.empty()) {
            text.pop_back();
            desktop::TypeComboText(combo, text);
        }
        return;
    }
    default:
        return;
    }
}

void KeyHandler::OnRadioKey(const std::vector<FocusItem>& items, int focused, const Key& key) {
    const ui::WindowHandle button = items[static_cast<std::size_t>(focused)].Window;
    if (key.Code == KeyCode::Space) {
        desktop::ClickButton(button);
        return;
    }
    const bool back = key.Code == KeyCode::Up || key.Code == KeyCode::Left;
    const bool forward = key.Code == KeyCode::Down || key.Code == KeyCode::Right;
    if (!back && !forward)
        return;
    // An automatic radio button is checked as the arrow key reaches it.
    const int next = NextInGroup(items, focused, back);
    if (next >= 0)
        desktop::ClickButton(items[static_cast<std::size_t>(next)].Window);
}

void KeyHandler::ChangeTab(const std::vector<FocusItem>& items, int step) {
    for (const FocusItem& item : items) {
        if (item.Kind != Kind::TabControl || !item.Usable)
            continue;
        const ui::TabControl tabs(item.Window);
        const int count = tabs.GetItemCount();
        if (count <= 0)
            return;
        const int current = tabs.GetCurSel();
        desktop::ClickTab(item.Window, ((current < 0 ? 0 : current) + step + count) % count);
        return;
    }
}

void KeyHandler::PressEnter(const std::vector<FocusItem>& items, int focused) {
    if (focused >= 0 && IsPushButton(items[static_cast<std::size_t>(focused)].Kind)) {
        desktop::ClickButton(items[static_cast<std::size_t>(focused)].Window);
        return;
    }
    const int button = DefaultButton(items);
    if (button >= 0 && items[static_cast<std::size_t>(button)].Usable)
        desktop::ClickButton(items[static_cast<std::size_t>(button)].Window);
}

} // namespace terminal
