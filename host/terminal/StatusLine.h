// The two lines the front end adds to the windows: the hint line at the top, with the keys
// that work where the focus is, and the status line at the bottom, with the file edited.
#pragma once

#include <string>
#include <string_view>

namespace terminal {

// Where the keys go, for the hint line.
enum class Place {
    Nothing,
    Tree,
    PushButton,
    RadioButton,
    ComboList,
    ComboEdit,
    Combo,
    Tabs,
    MessageBox,
    TooSmall
};

// The keys that work in the place, in at most `width` characters: where they do not all
// fit, whole hints are left out from the least needed, Ctrl-C and the key to the other
// page (`pages`: the window has pages to change) last of all. No hint is ever cut.
std::string HintFor(Place place, bool pages, int width);

// The path in at most `width` characters: whole when it fits, else shortened in the
// middle, keeping the file name and as much of the path's start as there is room for.
std::string ShortenPath(std::string_view path, int width);

} // namespace terminal
