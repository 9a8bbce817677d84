// Drop-down combo box, unsorted.
#pragma once

#include "platform/Window.h"

namespace ui {

class ComboBox : public Window {
public:
    using Window::Window;

    // CB_ADDSTRING: appends; returns the item's index.
    int AddString(std::string_view text) const;
    int GetCount() const;
    std::string GetLBText(int index) const;
    // CB_GETCURSEL: -1 when nothing is selected.
    int GetCurSel() const;
    // CB_SETCURSEL: no CBN_SELCHANGE; -1 clears the selection. Returns the index or -1.
    int SetCurSel(int index) const;
};

} // namespace ui
