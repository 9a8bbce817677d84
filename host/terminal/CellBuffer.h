// The picture of the screen that the painters draw into and the terminal shows: one
// character, its attributes and optionally an exact colour per cell, with a clip stack so
// that a child window never draws outside its parent.
#pragma once

#include <cstdint>
#include <string_view>
#include <vector>

#include "host/terminal/ScreenMap.h"

namespace terminal {

enum Attr : std::uint8_t {
    kNormal = 0,
    kBold = 1,
    kDim = 2,
    kReverse = 4,
    kUnderline = 8,
};

struct Rgb {
    std::uint8_t R = 0;
    std::uint8_t G = 0;
    std::uint8_t B = 0;
    friend bool operator==(const Rgb&, const Rgb&) = default;
};

struct Cell {
    char32_t Ch = U' ';
    std::uint8_t Attrs = kNormal;
    bool Coloured = false; // Fg and Bg hold the cell's exact colours (pictures)
    Rgb Fg;
    Rgb Bg;
    friend bool operator==(const Cell&, const Cell&) = default;
};

// Box drawing characters, mapped to the terminal's line set when it has no Unicode.
namespace glyph {
inline constexpr char32_t kHLine = U'\u2500';
inline constexpr char32_t kVLine = U'\u2502';
inline constexpr char32_t kTopLeft = U'\u250C';
inline constexpr char32_t kTopRight = U'\u2510';
inline constexpr char32_t kBottomLeft = U'\u2514';
inline constexpr char32_t kBottomRight = U'\u2518';
inline constexpr char32_t kTeeRight = U'\u251C'; // ├
inline constexpr char32_t kTeeLeft = U'\u2524';  // ┤
inline constexpr char32_t kTeeDown = U'\u252C';  // ┬
inline constexpr char32_t kTeeUp = U'\u2534';    // ┴
inline constexpr char32_t kUpperHalf = U'\u2580';
inline constexpr char32_t kDownArrow = U'v';
} // namespace glyph

class CellBuffer {
public:
    void Resize(int columns, int rows);
    void Clear();
    int Columns() const { return columns_; }
    int Rows() const { return rows_; }
    CellRect Bounds() const { return CellRect{0, 0, columns_, rows_}; }

    // Everything drawn while a clip is pushed stays inside it (and inside the outer clips).
    void PushClip(const CellRect& clip);
    void PopClip();
    CellRect Clip() const;

    void Put(int x, int y, char32_t ch, std::uint8_t attrs);
    void PutColoured(int x, int y, char32_t ch, Rgb fg, Rgb bg);
    void PutCell(int x, int y, const Cell& cell);
    // Single-byte text, one cell per byte; returns the column after it. Control
    // characters are shown as blanks.
    int Text(int x, int y, std::string_view text, std::uint8_t attrs, int maxWidth = 1 << 20);
    void Fill(const CellRect& rect, char32_t ch, std::uint8_t attrs);
    // Adds attributes to the cells of a rectangle that are drawn already.
    void AddAttrs(const CellRect& rect, std::uint8_t attrs);
    void HLine(int x, int y, int width, std::uint8_t attrs);
    void VLine(int x, int y, int height, std::uint8_t attrs);
    void Box(const CellRect& rect, std::uint8_t attrs);

    const Cell& At(int x, int y) const {
        return cells_[static_cast<std::size_t>(y * columns_ + x)];
    }
    // The characters of one row, as UTF-8, for tests and diagnostics.
    std::string RowText(int y) const;

private:
    Cell* Writable(int x, int y);

    int columns_ = 0;
    int rows_ = 0;
    std::vector<Cell> cells_;
    std::vector<CellRect> clips_;
};

// UTF-8 of one character.
void AppendUtf8(std::string& out, char32_t ch);

} // namespace terminal
