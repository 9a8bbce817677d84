// The reader of resource scripts: the subset of the resource compiler's language that the
// dialogs use (dialogs with their controls, bitmaps, and the preprocessor lines that
// generated scripts carry). It needs no module, so it can be run on any text.
#pragma once

#include <cstdint>
#include <functional>
#include <optional>
#include <string>
#include <string_view>
#include <variant>
#include <vector>

#include "platform/linux/Desktop.h"

namespace ui::rc {

// Positions and sizes are in dialog units, as written.
struct ControlTemplate {
    desktop::Kind Kind = desktop::Kind::Text;
    std::string Text;
    std::optional<int> ImageId; // a picture's bitmap, when the text is a resource id
    int Id = 0;
    std::string ClassName;
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
    std::string FileName;
    desktop::Pixels Pixels;
};

struct ResourceScript {
    std::vector<DialogTemplate> Dialogs;
    std::vector<BitmapResource> Bitmaps;

    const DialogTemplate* FindDialog(int id) const;
    const BitmapResource* FindBitmap(int id) const;
};

// The bytes of a file that the script includes or names, or nothing when there is none.
using FileLookup = std::function<std::optional<std::string_view>(std::string_view name)>;

// The resources, or the first error as "<file name>:<line>: <reason>".
std::variant<ResourceScript, std::string>
ParseResourceScript(std::string_view script, const FileLookup& lookup,
                    std::string_view scriptName = "script");

} // namespace ui::rc
