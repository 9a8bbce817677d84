// The keyboard as dialogs answer it: Tab and Shift-Tab through the tab stops, the arrow
// keys within a radio group and in the tree, Space and Enter on buttons, Escape as Cancel,
// the combo box's list, and Ctrl-PageUp/PageDown (or Ctrl-Left/Right) for the tabs. Every
// action goes through the layer's user actions, with their notifications.
#pragma once

#include "host/terminal/FocusOrder.h"
#include "host/terminal/Key.h"
#include "host/terminal/ViewState.h"

namespace terminal {

class KeyHandler {
public:
    KeyHandler(ViewState& view, int screenRows) : view_(view), screenRows_(screenRows) {}

    void OnKey(const Key& key);

private:
    bool OnListKey(const Key& key);
    void OnTreeKey(ui::WindowHandle tree, const Key& key);
    void OnComboKey(ui::WindowHandle combo, const Key& key);
    void OnRadioKey(const std::vector<FocusItem>& items, int focused, const Key& key);
    void ChangeTab(const std::vector<FocusItem>& items, int step);
    void PressEnter(const std::vector<FocusItem>& items, int focused);

    ViewState& view_;
    int screenRows_;
};

// Gives the focus to the first tab stop of the keyboard dialog when it is nowhere a user
// could act (at the start, or after the focused control was hidden or disabled).
void EnsureUsableFocus();
// The push button that Enter presses: the focused one, else the default button.
ui::WindowHandle EnterButton();

} // namespace terminal
