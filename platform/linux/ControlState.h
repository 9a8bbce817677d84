// The state that the simple controls keep beside their window object.
#pragma once

#include <string>
#include <vector>

#include "platform/Window.h"

namespace ui::detail {

struct ButtonState {
    int Check = BST_UNCHECKED;
};

// The edit field's text is the window text.
struct ComboState {
    std::vector<std::string> Items;
    int Selected = -1;
};

struct TabState {
    std::vector<std::string> Tabs;
    int Selected = -1;
};

struct PictureState {
    Bitmap Image = nullptr;
};

} // namespace ui::detail
