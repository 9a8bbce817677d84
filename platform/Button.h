// Push, default push and automatic radio buttons.
#pragma once

#include "platform/Window.h"

namespace ui {

class Button : public Window {
public:
    using Window::Window;

    // BM_GETCHECK / BM_SETCHECK (BST_CHECKED or BST_UNCHECKED); setting sends nothing.
    int GetCheck() const;
    void SetCheck(int state) const;
};

} // namespace ui
