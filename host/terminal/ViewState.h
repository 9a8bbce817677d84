// What the front end shows beyond the windows' own state: the terminal's abilities, the
// file edited and the open drop-down list of a combo box.
#pragma once

#include <string>

#include "host/terminal/Palette.h"
#include "host/terminal/ScreenMap.h"
#include "platform/Window.h"

namespace terminal {

struct ComboList {
    ui::WindowHandle combo = nullptr; // nullptr: no list is open
    int highlighted = 0;
    int top = 0;   // first item shown
    int shown = 0; // rows of items the list has room for
};

struct ViewState {
    ColourMode colours = ColourMode::Monochrome;
    bool unicode = false;
    std::string file; // the file being edited, shown in the status line
    ComboList list;
};

} // namespace terminal
