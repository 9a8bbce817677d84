// Fuzz target: the reader of resource scripts, with the files a script includes or names.
//
// The input is a script, optionally followed by "\n#FILE\n" and the bytes served for every
// included header, and by a second "\n#FILE\n" and the bytes served for every other file
// (bitmaps). Without them, headers get the library's own resource.h and other files a
// small valid bitmap. Checks: the reader returns, an error names its file and line, and
// every dialog and bitmap it returns is one the script can be asked for.
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <fstream>
#include <optional>
#include <sstream>
#include <string>
#include <string_view>
#include <variant>

#include "platform/linux/ResourceScript.h"

namespace {

constexpr std::string_view kSeparator = "\n#FILE\n";

void Require(bool condition, const char* what) {
    if (!condition) {
        std::fprintf(stderr, "resource script fuzzer: %s\n", what);
        std::abort();
    }
}

std::string ReadSourceFile(const char* path) {
    std::ifstream in(path, std::ios::binary);
    std::ostringstream bytes;
    bytes << in.rdbuf();
    return bytes.str();
}

void PutLittleEndian(std::string& out, std::uint32_t value, int bytes) {
    for (int i = 0; i < bytes; ++i)
        out += static_cast<char>((value >> (8 * i)) & 0xFF);
}

// A 2 by 2 bitmap of 24 bits per pixel, bottom-up.
std::string SmallBitmap() {
    const std::uint32_t rowBytes = 8; // 6 bytes of pixels, padded to 4
    const std::uint32_t pixelBytes = rowBytes * 2;
    std::string bmp = "BM";
    PutLittleEndian(bmp, 54 + pixelBytes, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 54, 4);
    PutLittleEndian(bmp, 40, 4);
    PutLittleEndian(bmp, 2, 4);
    PutLittleEndian(bmp, 2, 4);
    PutLittleEndian(bmp, 1, 2);
    PutLittleEndian(bmp, 24, 2);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, pixelBytes, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 2835, 4);
    PutLittleEndian(bmp, 0, 4);
    PutLittleEndian(bmp, 0, 4);
    bmp.append(pixelBytes, '\x7f');
    return bmp;
}

const std::string& DefaultHeader() {
    static const std::string header = ReadSourceFile(PCI_RESOURCE_HEADER);
    return header;
}

const std::string& DefaultBitmap() {
    static const std::string bitmap = SmallBitmap();
    return bitmap;
}

bool IsHeaderName(std::string_view name) {
    return name.size() >= 2 &&
           (name.substr(name.size() - 2) == ".h" || name.substr(name.size() - 2) == ".H");
}

} // namespace

extern "C" int LLVMFuzzerTestOneInput(const std::uint8_t* data, std::size_t size) {
    std::string_view input(reinterpret_cast<const char*>(data), size);
    std::string_view script = input;
    std::optional<std::string_view> header;
    std::optional<std::string_view> other;
    if (const std::size_t first = input.find(kSeparator); first != std::string_view::npos) {
        script = input.substr(0, first);
        std::string_view rest = input.substr(first + kSeparator.size());
        const std::size_t second = rest.find(kSeparator);
        header = rest.substr(0, second);
        if (second != std::string_view::npos)
            other = rest.substr(second + kSeparator.size());
    }

    const ui::rc::FileLookup lookup =
        [&](std::string_view name) -> std::optional<std::string_view> {
        if (name.empty())
            return std::nullopt;
        if (IsHeaderName(name))
            return header ? *header : std::string_view(DefaultHeader());
        return other ? *other : std::string_view(DefaultBitmap());
    };

    const auto result = ui::rc::ParseResourceScript(script, lookup, "fuzz.rc");
    if (const auto* error = std::get_if<std::string>(&result)) {
        Require(!error->empty(), "an empty error message");
        Require(error->find(": ") != std::string::npos, "an error without its file and line");
        return 0;
    }
    const auto& resources = std::get<ui::rc::ResourceScript>(result);
    for (const auto& dialog : resources.Dialogs)
        Require(resources.FindDialog(dialog.Id) != nullptr, "a dialog that cannot be found");
    for (const auto& bitmap : resources.Bitmaps) {
        Require(resources.FindBitmap(bitmap.Id) != nullptr, "a bitmap that cannot be found");
        const auto& pixels = bitmap.Pixels;
        Require(pixels.width >= 0 && pixels.height >= 0 &&
                    pixels.rgb.size() == static_cast<std::size_t>(pixels.width) *
                                             static_cast<std::size_t>(pixels.height) * 3,
                "a bitmap whose pixels do not match its size");
    }
    return 0;
}
