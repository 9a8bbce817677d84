// Opening, moving through and closing the drop-down list of a combo box. Choosing an
// item is the user's choice: it goes through the layer, with its notification.
#pragma once

#include "host/terminal/ViewState.h"

namespace terminal {

class ComboListControl {
public:
    ComboListControl(ViewState& view, int screenRows) : view_(view), screenRows_(screenRows) {}

    bool IsOpen() const { return view_.List.Combo != nullptr; }
    // Opens the list of the combo box with its current item highlighted.
    void Open(ui::WindowHandle combo);
    void Close() { view_.List = ComboList{}; }
    // Moves the highlight by `step` items (clamped), keeping it in view.
    void Move(int step);
    void MoveTo(int index);
    // Closes the list and chooses the item (the highlighted one for -1).
    void Choose(int index = -1);

private:
    void KeepInView();

    ViewState& view_;
    int screenRows_;
};

} // namespace terminal
