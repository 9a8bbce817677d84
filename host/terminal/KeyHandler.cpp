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
    std::vector<FocusItem> items;
    int index = -1;
    ui::WindowHandle dialog = nullptr;
};

Focus CurrentFocus() {
    Focus focus;
    focus.dialog = KeyboardDialog();
    if (!focus.dialog)
        return focus;
    focus.items = CollectControls(focus.dialog);
    focus.index = IndexOf(focus.items, desktop::GetFocus());
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
    if (!focus.dialog)
        return;
    if (focus.index >= 0 && focus.items[static_cast<std::size_t>(focus.index)].usable)
        return;
    const int first = NextTabStop(focus.items, -1, false);
    if (first >= 0)
        desktop::SetFocus(focus.items[static_cast<std::size_t>(first)].window);
}

ui::WindowHandle EnterButton() {
    const Focus focus = CurrentFocus();
    if (focus.index >= 0 && IsPushButton(focus.items[static_cast<std::size_t>(focus.index)].kind))
        return focus.items[static_cast<std::size_t>(focus.index)].window;
    const int button = DefaultButton(focus.items);
    return button >= 0 ? focus.items[static_cast<std::size_t>(button)].window : nullptr;
}

void KeyHandler::OnKey(const Key& key) {
    if (OnListKey(key))
        return;
    const Focus focus = CurrentFocus();
    if (!focus.dialog)
        return;
    const FocusItem* focused =
        focus.index >= 0 ? &focus.items[static_cast<std::size_t>(focus.index)] : nullptr;
    switch (key.code) {
    case KeyCode::Tab:
    case KeyCode::BackTab: {
        const int next = NextTabStop(focus.items, focus.index, key.code == KeyCode::BackTab);
        if (next >= 0)
            desktop::SetFocus(focus.items[static_cast<std::size_t>(next)].window);
        return;
    }
    case KeyCode::CtrlPageUp:
    case KeyCode::CtrlLeft:
        ChangeTab(focus.items, -1);
        return;
    case KeyCode::CtrlPageDown:
    case KeyCode::CtrlRight:
        ChangeTab(focus.items, 1);
        return;
    case KeyCode::Escape:
        desktop::PressCancel(focus.dialog);
        return;
    case KeyCode::Enter:
        PressEnter(focus.items, focus.index);
        return;
    default:
        break;
    }
    if (!focused || !focused->usable)
        return;
    switch (focused->kind) {
    case Kind::PushButton:
    case Kind::DefPushButton:
        if (key.code == KeyCode::Space)
            desktop::ClickButton(focused->window);
        return;
    case Kind::RadioButton:
        OnRadioKey(focus.items, focus.index, key);
        return;
    case Kind::TreeView:
        OnTreeKey(focused->window, key);
        return;
    case Kind::ComboBox:
        OnComboKey(focused->window, key);
        return;
    case Kind::TabControl:
        if (key.code == KeyCode::Left || key.code == KeyCode::Right)
            ChangeTab(focus.items, key.code == KeyCode::Left ? -1 : 1);
        return;
    default:
        return;
    }
}

bool KeyHandler::OnListKey(const Key& key) {
    ComboListControl list(view_, screenRows_);
    if (!list.IsOpen())
        return false;
    if (!desktop::IsReallyVisible(view_.list.combo)) {
        list.Close();
        return false;
    }
    switch (key.code) {
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
    const bool plus = key.code == KeyCode::Char && key.ch == '+';
    const bool minus = key.code == KeyCode::Char && key.ch == '-';
    if (key.code == KeyCode::Down)
        select(selected < 0 ? 0 : selected + 1);
    else if (key.code == KeyCode::Up)
        select(selected < 0 ? 0 : selected - 1);
    else if (key.code == KeyCode::Home)
        select(0);
    else if (key.code == KeyCode::End)
        select(last);
    if (selected < 0 || !(plus || minus || key.code == KeyCode::Right || key.code == KeyCode::Left))
        return;

    const desktop::TreeRow& row = rows[static_cast<std::size_t>(selected)];
    if (plus || key.code == KeyCode::Right) {
        if (row.HasChildren && !row.Expanded)
            desktop::ClickTreeButton(tree, row.Item);
        else if (key.code == KeyCode::Right && row.HasChildren)
            select(selected + 1); // already open: on to the first child
        return;
    }
    if (row.HasChildren && row.Expanded) {
        desktop::ClickTreeButton(tree, row.Item);
        return;
    }
    if (key.code == KeyCode::Left)
        for (int parent = selected - 1; parent >= 0; --parent)
            if (rows[static_cast<std::size_t>(parent)].Depth < row.Depth) {
                select(parent);
                return;
            }
}

void KeyHandler::OnComboKey(ui::WindowHandle combo, const Key& key) {
    const ui::ComboBox box(combo);
    switch (key.code) {
    case KeyCode::F4:
    case KeyCode::AltDown:
        ComboListControl(view_, screenRows_).Open(combo);
        return;
    case KeyCode::Up:
    case KeyCode::Down: {
        // A closed drop-down list steps through its items, each step a choice.
        const int current = box.GetCurSel();
        const int next = current < 0 ? 0 : current + (key.code == KeyCode::Down ? 1 : -1);
        if (next >= 0 && next < box.GetCount() && next != current)
            desktop::ChooseComboItem(combo, next);
        return;
    }
    case KeyCode::Char:
        desktop::TypeComboText(combo, desktop::ComboEditText(combo) + key.ch);
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
    const ui::WindowHandle button = items[static_cast<std::size_t>(focused)].window;
    if (key.code == KeyCode::Space) {
        desktop::ClickButton(button);
        return;
    }
    const bool back = key.code == KeyCode::Up || key.code == KeyCode::Left;
    const bool forward = key.code == KeyCode::Down || key.code == KeyCode::Right;
    if (!back && !forward)
        return;
    // An automatic radio button is checked as the arrow key reaches it.
    const int next = NextInGroup(items, focused, back);
    if (next >= 0)
        desktop::ClickButton(items[static_cast<std::size_t>(next)].window);
}

void KeyHandler::ChangeTab(const std::vector<FocusItem>& items, int step) {
    for (const FocusItem& item : items) {
        if (item.kind != Kind::TabControl || !item.usable)
            continue;
        const ui::TabControl tabs(item.window);
        const int count = tabs.GetItemCount();
        if (count <= 0)
            return;
        const int current = tabs.GetCurSel();
        desktop::ClickTab(item.window, ((current < 0 ? 0 : current) + step + count) % count);
        return;
    }
}

void KeyHandler::PressEnter(const std::vector<FocusItem>& items, int focused) {
    if (focused >= 0 && IsPushButton(items[static_cast<std::size_t>(focused)].kind)) {
        desktop::ClickButton(items[static_cast<std::size_t>(focused)].window);
        return;
    }
    const int button = DefaultButton(items);
    if (button >= 0 && items[static_cast<std::size_t>(button)].usable)
        desktop::ClickButton(items[static_cast<std::size_t>(button)].window);
}

} // namespace terminal
