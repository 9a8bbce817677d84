#include "host/terminal/CellBuffer.h"

#include <algorithm>
#include <string>

namespace terminal {

void CellBuffer::Resize(int columns, int rows) {
    columns_ = std::max(0, columns);
    rows_ = std::max(0, rows);
    cells_.assign(static_cast<std::size_t>(columns_ * rows_), Cell{});
    clips_.clear();
}

void CellBuffer::Clear() {
    std::fill(cells_.begin(), cells_.end(), Cell{});
    clips_.clear();
}

void CellBuffer::PushClip(const CellRect& clip) {
    clips_.push_back(Clip().Intersect(clip));
}

void CellBuffer::PopClip() {
    if (!clips_.empty())
        clips_.pop_back();
}

CellRect CellBuffer::Clip() const {
    return clips_.empty() ? Bounds() : clips_.back();
}

Cell* CellBuffer::Writable(int x, int y) {
    if (!Clip().Contains(x, y))
        return nullptr;
    return &cells_[static_cast<std::size_t>(y * columns_ + x)];
}

void CellBuffer::Put(int x, int y, char32_t ch, std::uint8_t attrs) {
    if (Cell* cell = Writable(x, y))
        *cell = Cell{ch, attrs, false, {}, {}};
}

void CellBuffer::PutCell(int x, int y, const Cell& source) {
    if (Cell* cell = Writable(x, y))
        *cell = source;
}

void CellBuffer::PutColoured(int x, int y, char32_t ch, Rgb fg, Rgb bg) {
    if (Cell* cell = Writable(x, y))
        *cell = Cell{ch, kNormal, true, fg, bg};
}

int CellBuffer::Text(int x, int y, std::string_view text, std::uint8_t attrs, int maxWidth) {
    int written = 0;
    for (const char c : text) {
        if (written >= maxWidth)
            break;
        const auto byte = static_cast<unsigned char>(c);
        Put(x + written, y, byte < 0x20 || byte == 0x7F ? U' ' : char32_t(byte), attrs);
        ++written;
    }
    return x + written;
}

void CellBuffer::Fill(const CellRect& rect, char32_t ch, std::uint8_t attrs) {
    for (int y = rect.Top; y < rect.Bottom; ++y)
        for (int x = rect.Left; x < rect.Right; ++x)
            Put(x, y, ch, attrs);
}

void CellBuffer::AddAttrs(const CellRect& rect, std::uint8_t attrs) {
    for (int y = rect.Top; y < rect.Bottom; ++y)
        for (int x = rect.Left; x < rect.Right; ++x)
            if (Cell* cell = Writable(x, y))
                cell->Attrs = static_cast<std::uint8_t>(cell->Attrs | attrs);
}

void CellBuffer::HLine(int x, int y, int width, std::uint8_t attrs) {
    for (int i = 0; i < width; ++i)
        Put(x + i, y, glyph::kHLine, attrs);
}

void CellBuffer::VLine(int x, int y, int height, std::uint8_t attrs) {
    for (int i = 0; i < height; ++i)
        Put(x, y + i, glyph::kVLine, attrs);
}

void CellBuffer::Box(const CellRect& rect, std::uint8_t attrs) {
    if (rect.Width() < 2 || rect.Height() < 2) {
        Fill(rect, glyph::kHLine, attrs);
        return;
    }
    HLine(rect.Left + 1, rect.Top, rect.Width() - 2, attrs);
    HLine(rect.Left + 1, rect.Bottom - 1, rect.Width() - 2, attrs);
    VLine(rect.Left, rect.Top + 1, rect.Height() - 2, attrs);
    VLine(rect.Right - 1, rect.Top + 1, rect.Height() - 2, attrs);
    Put(rect.Left, rect.Top, glyph::kTopLeft, attrs);
    Put(rect.Right - 1, rect.Top, glyph::kTopRight, attrs);
    Put(rect.Left, rect.Bottom - 1, glyph::kBottomLeft, attrs);
    Put(rect.Right - 1, rect.Bottom - 1, glyph::kBottomRight, attrs);
}

std::string CellBuffer::RowText(int y) const {
    std::string text;
    for (int x = 0; x < columns_; ++x)
        AppendUtf8(text, At(x, y).Ch);
    return text;
}

void AppendUtf8(std::string& out, char32_t ch) {
    if (ch < 0x80) {
        out += static_cast<char>(ch);
    } else if (ch < 0x800) {
        out += static_cast<char>(0xC0 | (ch >> 6));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else if (ch < 0x10000) {
        out += static_cast<char>(0xE0 | (ch >> 12));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    } else {
        out += static_cast<char>(0xF0 | (ch >> 18));
        out += static_cast<char>(0x80 | ((ch >> 12) & 0x3F));
        out += static_cast<char>(0x80 | ((ch >> 6) & 0x3F));
        out += static_cast<char>(0x80 | (ch & 0x3F));
    }
}

} // namespace terminal
