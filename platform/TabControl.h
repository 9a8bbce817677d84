// Tab control (SysTabControl32): text-only tabs.
#pragma once

#include "platform/Window.h"

namespace ui {

class TabControl : public Window {
public:
    using Window::Window;

    // TCM_INSERTITEM with TCIF_TEXT; returns the new tab's index or -1.
    int InsertItem(int index, std::string_view text) const;
    int GetItemCount() const;
    std::string GetItemText(int index) const;
    // TCM_GETCURSEL: -1 when no tab is current.
    int GetCurSel() const;
    // TCM_SETCURSEL: programmatic, no TCN_SELCHANGE.
    int SetCurSel(int index) const;
};

} // namespace ui
