#include "platform/linux/Dib.h"

#include <cstdint>

namespace ui {
namespace {

constexpr std::uint32_t kInfoHeaderSize = 40;
constexpr std::uint32_t kCompressionNone = 0; // BI_RGB
constexpr std::int64_t kMaxSide = 16384;

std::uint32_t ReadU32(std::string_view bytes, std::size_t offset) {
    std::uint32_t value = 0;
    for (std::size_t i = 0; i < 4; ++i)
        value |= std::uint32_t(static_cast<unsigned char>(bytes[offset + i])) << (8 * i);
    return value;
}

std::uint16_t ReadU16(std::string_view bytes, std::size_t offset) {
    return static_cast<std::uint16_t>(static_cast<unsigned char>(bytes[offset]) |
                                      static_cast<unsigned char>(bytes[offset + 1]) << 8);
}

} // namespace

std::variant<desktop::Pixels, std::string> DecodeDib(std::string_view bytes) {
    if (bytes.size() < kInfoHeaderSize)
        return std::string("not a bitmap");
    const std::uint32_t headerSize = ReadU32(bytes, 0);
    if (headerSize < kInfoHeaderSize || headerSize > bytes.size())
        return std::string("unsupported bitmap header");
    const auto width = static_cast<std::int32_t>(ReadU32(bytes, 4));
    const auto signedHeight = static_cast<std::int32_t>(ReadU32(bytes, 8));
    const std::uint16_t planes = ReadU16(bytes, 12);
    const std::uint16_t bitsPerPixel = ReadU16(bytes, 14);
    const std::uint32_t compression = ReadU32(bytes, 16);
    const std::uint32_t coloursUsed = ReadU32(bytes, 32);
    if (planes != 1 || (bitsPerPixel != 24 && bitsPerPixel != 32))
        return std::string("only 24 and 32 bits per pixel are supported");
    if (compression != kCompressionNone)
        return std::string("compressed bitmaps are not supported");
    // A true-colour bitmap may still carry a colour table (for palette displays); the
    // rows follow it.
    if (coloursUsed > (bytes.size() - headerSize) / 4)
        return std::string("bitmap data truncated");
    const std::size_t dataOffset = headerSize + std::size_t(coloursUsed) * 4u;
    const bool topDown = signedHeight < 0;
    const std::int64_t height = topDown ? -std::int64_t(signedHeight) : signedHeight;
    if (width <= 0 || height <= 0 || width > kMaxSide || height > kMaxSide)
        return std::string("bad bitmap size");

    const std::size_t bytesPerPixel = bitsPerPixel / 8u;
    const std::size_t stride = (std::size_t(width) * bytesPerPixel + 3u) & ~std::size_t(3);
    const std::size_t dataSize = stride * std::size_t(height);
    if (bytes.size() - dataOffset < dataSize)
        return std::string("bitmap data truncated");

    desktop::Pixels pixels;
    pixels.Width = width;
    pixels.Height = static_cast<int>(height);
    pixels.Rgb.resize(std::size_t(width) * std::size_t(height) * 3u);
    for (std::int64_t row = 0; row < height; ++row) {
        const std::int64_t sourceRow = topDown ? row : height - 1 - row;
        const std::size_t source = dataOffset + std::size_t(sourceRow) * stride;
        std::uint8_t* target = &pixels.Rgb[std::size_t(row) * std::size_t(width) * 3u];
        for (std::int32_t x = 0; x < width; ++x) {
            const std::size_t pixel = source + std::size_t(x) * bytesPerPixel;
            // Stored blue, green, red.
            target[3 * x + 0] = static_cast<std::uint8_t>(bytes[pixel + 2]);
            target[3 * x + 1] = static_cast<std::uint8_t>(bytes[pixel + 1]);
            target[3 * x + 2] = static_cast<std::uint8_t>(bytes[pixel + 0]);
        }
    }
    return pixels;
}

} // namespace ui
