// What the front end shows beyond the windows' own state: the terminal's abilities, the
// file edited and the open drop-down list of a combo box.
#pragma once

#include <string>

#include "host/terminal/Palette.h"
#include "host/terminal/ScreenMap.h"
#include "platform/Window.h"

namespace terminal {

struct ComboList {
    ui::WindowHandle Combo = nullptr; // nullptr: no list is open
    int Highlighted = 0;
    int Top = 0;   // first item shown
    int Shown = 0; // rows of items the list has room for
};

struct ViewState {
    ColourMode Colours = ColourMode::Monochrome;
    bool Unicode = false;
    std::string File; // the file being edited, shown in the status line
    ComboList List;
};

} // namespace terminal
