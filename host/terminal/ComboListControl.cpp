#include "host/terminal/ComboListControl.h"

#include <algorithm>

#include "host/terminal/ControlPainter.h"
#include "host/terminal/WindowPainter.h"
#include "platform/ComboBox.h"
#include "platform/linux/Desktop.h"

namespace terminal {

void ComboListControl::Open(ui::WindowHandle combo) {
    const ui::ComboBox box(combo);
    const CellRect cells =
        ComboListCells(WindowCells(ScreenMap{}, combo), box.GetCount(), screenRows_);
    view_.list = ComboList{combo, std::max(0, box.GetCurSel()), 0, std::max(1, cells.Height() - 2)};
    ui::desktop::SetFocus(combo);
    KeepInView();
}

void ComboListControl::Move(int step) {
    MoveTo(view_.list.highlighted + step);
}

void ComboListControl::MoveTo(int index) {
    if (!IsOpen())
        return;
    const int count = ui::ComboBox(view_.list.combo).GetCount();
    view_.list.highlighted = std::clamp(index, 0, std::max(0, count - 1));
    KeepInView();
}

void ComboListControl::Choose(int index) {
    if (!IsOpen())
        return;
    const ui::WindowHandle combo = view_.list.combo;
    const int chosen = index < 0 ? view_.list.highlighted : index;
    Close();
    ui::desktop::ChooseComboItem(combo, chosen);
}

void ComboListControl::KeepInView() {
    ComboList& list = view_.list;
    if (list.highlighted < list.top)
        list.top = list.highlighted;
    else if (list.highlighted >= list.top + list.shown)
        list.top = list.highlighted - list.shown + 1;
}

} // namespace terminal
