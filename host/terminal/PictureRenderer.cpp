#include "host/terminal/PictureRenderer.h"

#include <string>

namespace terminal {
namespace {

// The average colour of the pixels in [x0, x1) by [y0, y1), at least one pixel.
Rgb Average(const ui::desktop::Pixels& pixels, int x0, int x1, int y0, int y1) {
    if (x1 <= x0)
        x1 = x0 + 1;
    if (y1 <= y0)
        y1 = y0 + 1;
    unsigned long sum[3] = {0, 0, 0};
    unsigned long count = 0;
    for (int y = y0; y < y1 && y < pixels.Height; ++y) {
        for (int x = x0; x < x1 && x < pixels.Width; ++x) {
            const std::size_t at = (static_cast<std::size_t>(y) * pixels.Width + x) * 3;
            sum[0] += pixels.Rgb[at];
            sum[1] += pixels.Rgb[at + 1];
            sum[2] += pixels.Rgb[at + 2];
            ++count;
        }
    }
    if (count == 0)
        return Rgb{};
    return Rgb{static_cast<std::uint8_t>(sum[0] / count), static_cast<std::uint8_t>(sum[1] / count),
               static_cast<std::uint8_t>(sum[2] / count)};
}

Rgb Mix(Rgb a, Rgb b) {
    return Rgb{static_cast<std::uint8_t>((a.R + b.R) / 2),
               static_cast<std::uint8_t>((a.G + b.G) / 2),
               static_cast<std::uint8_t>((a.B + b.B) / 2)};
}

void PaintPlaceholder(CellBuffer& buffer, const CellRect& rect, const ui::desktop::Pixels& pixels) {
    buffer.Fill(rect, U' ', kNormal);
    buffer.Box(rect, kNormal);
    const std::string label =
        "picture " + std::to_string(pixels.Width) + "x" + std::to_string(pixels.Height);
    const int inner = rect.Width() - 2;
    const int shown =
        static_cast<int>(label.size()) < inner ? static_cast<int>(label.size()) : inner;
    buffer.Text(rect.Left + 1 + (inner - shown) / 2, rect.Top + rect.Height() / 2, label, kDim,
                shown);
}

} // namespace

std::vector<CellColours> ScalePicture(const ui::desktop::Pixels& pixels, int columns, int rows) {
    std::vector<CellColours> cells;
    if (columns <= 0 || rows <= 0 || pixels.Width <= 0 || pixels.Height <= 0 ||
        pixels.Rgb.size() < static_cast<std::size_t>(pixels.Width) * pixels.Height * 3)
        return cells;
    cells.reserve(static_cast<std::size_t>(columns) * rows);
    const int halves = rows * 2;
    for (int row = 0; row < rows; ++row) {
        const int upper0 = (2 * row) * pixels.Height / halves;
        const int upper1 = (2 * row + 1) * pixels.Height / halves;
        const int lower1 = (2 * row + 2) * pixels.Height / halves;
        for (int column = 0; column < columns; ++column) {
            const int x0 = column * pixels.Width / columns;
            const int x1 = (column + 1) * pixels.Width / columns;
            cells.push_back(CellColours{Average(pixels, x0, x1, upper0, upper1),
                                        Average(pixels, x0, x1, upper1, lower1)});
        }
    }
    return cells;
}

void PaintPicture(CellBuffer& buffer, const CellRect& rect, const ui::desktop::Pixels& pixels,
                  ColourMode mode, bool unicode) {
    if (rect.Empty())
        return;
    const std::vector<CellColours> cells = ScalePicture(pixels, rect.Width(), rect.Height());
    if (mode == ColourMode::Monochrome || cells.empty()) {
        PaintPlaceholder(buffer, rect, pixels);
        return;
    }
    std::size_t at = 0;
    for (int y = rect.Top; y < rect.Bottom; ++y) {
        for (int x = rect.Left; x < rect.Right; ++x, ++at) {
            const CellColours& cell = cells[at];
            if (unicode)
                buffer.PutColoured(x, y, glyph::kUpperHalf, cell.Upper, cell.Lower);
            else
                buffer.PutColoured(x, y, U' ', cell.Upper, Mix(cell.Upper, cell.Lower));
        }
    }
}

} // namespace terminal
