// Decoding of the bitmaps that dialog resources hold: device-independent bitmaps (an info
// header and the pixel rows, no file header), uncompressed, of 24 or 32 bits per pixel,
// bottom-up or top-down.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/linux/Desktop.h"

namespace ui {

// The pixels, or why the bytes are not such a bitmap.
std::variant<desktop::Pixels, std::string> DecodeDib(std::string_view bytes);

} // namespace ui
