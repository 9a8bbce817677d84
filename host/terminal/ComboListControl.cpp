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
    view_.List = ComboList{combo, std::max(0, box.GetCurSel()), 0, std::max(1, cells.Height() - 2)};
    ui::desktop::SetFocus(combo);
    KeepInView();
}

void ComboListControl::Move(int step) {
    MoveTo(view_.List.Highlighted + step);
}

void ComboListControl::MoveTo(int index) {
    if (!IsOpen())
        return;
    const int count = ui::ComboBox(view_.List.Combo).GetCount();
    view_.List.Highlighted = std::clamp(index, 0, std::max(0, count - 1));
    KeepInView();
}

void ComboListControl::Choose(int index) {
    if (!IsOpen())
        return;
    const ui::WindowHandle combo = view_.List.Combo;
    const int chosen = index < 0 ? view_.List.Highlighted : index;
    Close();
    ui::desktop::ChooseComboItem(combo, chosen);
}

void ComboListControl::KeepInView() {
    ComboList& list = view_.List;
    if (list.Highlighted < list.Top)
        list.Top = list.Highlighted;
    else if (list.Highlighted >= list.Top + list.Shown)
        list.Top = list.Highlighted - list.Shown + 1;
}

} // namespace terminal
