// Fuzz target: the reader of compiled resources (.res), over any bytes.
//
// Checks: the reader returns; a refusal is one non-empty line; every dialog and bitmap it
// returns can be found by its id, and a bitmap's pixels match its size.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <string_view>
#include <variant>

#include "platform/linux/ResourceFile.h"

namespace {

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "resource file fuzzer: %s\n", what);
        std::abort();
    }
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    const std::string_view input(reinterpret_cast<const char*>(data), size);
    const auto result = ui::rc::ReadResourceFile(input);
    if (const auto* error = std::get_if<std::string>(&result)) {
        Require(!error->empty(), "an empty refusal");
        Require(error->find('\n') == std::string::npos, "a refusal of more than one line");
        return 0;
    }
    const auto& resources = std::get<ui::rc::Resources>(result);
    for (const auto& dialog : resources.Dialogs)
        Require(resources.FindDialog(dialog.Id) == &dialog, "a dialog that cannot be found");
    for (const auto& bitmap : resources.Bitmaps) {
        Require(resources.FindBitmap(bitmap.Id) == &bitmap, "a bitmap that cannot be found");
        const auto& pixels = bitmap.Pixels;
        Require(pixels.Width > 0 && pixels.Height > 0 &&
                    pixels.Rgb.size() == static_cast<std::size_t>(pixels.Width) *
                                             static_cast<std::size_t>(pixels.Height) * 3,
                "a bitmap whose pixels do not match its size");
    }
    return 0;
}
