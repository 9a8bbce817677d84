// Static text and static picture controls.
#pragma once

#include "platform/Window.h"

namespace ui {

class Static : public Window {
public:
    using Window::Window;

    // STM_SETIMAGE with IMAGE_BITMAP; returns the previous bitmap.
    Bitmap SetBitmap(Bitmap bitmap) const;
    Bitmap GetBitmap() const;
};

// LoadBitmapA from the registered application's module; nullptr when it is missing.
Bitmap LoadBitmapA(int resourceId);

} // namespace ui
