// Decoding of the bitmap files that dialog resources name: uncompressed Windows bitmaps
// of 24 (or 32) bits per pixel, bottom-up or top-down.
#pragma once

#include <string>
#include <string_view>
#include <variant>

#include "platform/linux/Desktop.h"

namespace ui {

// The pixels, or why the bytes are not such a bitmap.
std::variant<desktop::Pixels, std::string> DecodeBitmapFile(std::string_view bytes);

} // namespace ui
