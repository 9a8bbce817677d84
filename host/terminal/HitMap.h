// The places on the screen that a mouse click acts on, recorded while painting: later
// zones lie above earlier ones.
#pragma once

#include <vector>

#include "host/terminal/ScreenMap.h"
#include "platform/Window.h"

namespace terminal {

enum class HitPart {
    Window,      // the window as a whole (buttons, radio buttons, the combo's edit field)
    TreeRow,     // a tree item's text
    TreeButton,  // a tree item's +/- button
    Tab,         // a tab's label
    ComboButton, // the drop-down arrow
    ComboItem,   // an item of the open list
    Blocker,     // covers what lies below and does nothing (a modal box's body)
    BoxButton,   // a button of a message box
};

struct HitZone {
    CellRect Rect;
    HitPart Part = HitPart::Window;
    ui::WindowHandle Window = nullptr;
    ui::TreeItem Item = nullptr;
    int Index = 0;
};

class HitMap {
public:
    void Clear() { zones_.clear(); }
    void Add(const HitZone& zone) { zones_.push_back(zone); }
    // The topmost zone at the cell, or nullptr.
    const HitZone* At(int x, int y) const;

private:
    std::vector<HitZone> zones_;
};

} // namespace terminal
