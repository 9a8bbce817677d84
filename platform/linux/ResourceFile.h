// The reader of compiled resources: the .res file that the resource compiler makes from a
// module's resource script, holding its dialog templates (DIALOG and DIALOGEX) and bitmaps
// (device-independent bitmaps without a file header). The Windows build links the same
// bytes into its DLL, so both platforms create their dialogs from identical templates.
#pragma once

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/linux/Desktop.h"

namespace ui::rc {

// Positions and sizes are in dialog units, as in the template.
struct ControlTemplate {
    desktop::Kind Kind = desktop::Kind::Text;
    std::string Text;           // UTF-8
    std::optional<int> ImageId; // a picture's bitmap, when the text is a resource id
    int Id = 0;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
};

struct DialogTemplate {
    int Id = 0;
    std::uint32_t Style = 0;
    std::uint32_t ExStyle = 0;
    std::string Caption;
    bool HasFont = false;
    int FontSize = 0;
    std::string FontName;
    int X = 0;
    int Y = 0;
    int Width = 0;
    int Height = 0;
    std::vector<ControlTemplate> Controls;
};

struct BitmapResource {
    int Id = 0;
    desktop::Pixels Pixels;
};

struct Resources {
    std::vector<DialogTemplate> Dialogs;
    std::vector<BitmapResource> Bitmaps;

    const DialogTemplate* FindDialog(int id) const;
    const BitmapResource* FindBitmap(int id) const;
};

// The dialogs and bitmaps of a .res file (other resource types are passed over), or the
// first reason it cannot be used, naming the resource ("dialog 100, control 3: ...").
std::variant<Resources, std::string> ReadResourceFile(std::string_view bytes);

} // namespace ui::rc
