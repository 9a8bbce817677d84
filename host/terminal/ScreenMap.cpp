#include "host/terminal/ScreenMap.h"

#include <algorithm>

namespace terminal {
namespace {

// Floor division that also rounds negative positions down.
int FloorDiv(int value, int step) {
    return value >= 0 ? value / step : -((-value + step - 1) / step);
}

constexpr int kRowSlackPx = kCellHeightPx / 4;

int RoundedSpan(int sizePx, int step) {
    return std::max(1, (sizePx + step / 2) / step);
}

} // namespace

CellRect CellRect::Intersect(const CellRect& other) const {
    CellRect result{std::max(Left, other.Left), std::max(Top, other.Top),
                    std::min(Right, other.Right), std::min(Bottom, other.Bottom)};
    if (result.Empty())
        return CellRect{result.Left, result.Top, result.Left, result.Top};
    return result;
}

int ScreenMap::Column(int xPx) const {
    return FloorDiv(xPx, kCellWidthPx);
}

// A row holds the windows whose top lies within it or at most a quarter row above it:
// labels and their controls are often placed one or two dialog units apart, and should
// share a row.
int ScreenMap::Row(int yPx) const {
    return FloorDiv(yPx + kRowSlackPx, kCellHeightPx);
}

CellRect ScreenMap::ToCells(const ui::Rect& screenPx) const {
    CellRect cells;
    cells.Left = Column(screenPx.Left);
    cells.Top = Row(screenPx.Top);
    cells.Right = cells.Left + RoundedSpan(std::max(0, screenPx.Width()), kCellWidthPx);
    // The last row is the one that holds the bottom edge, unless the edge passes a row's
    // top by no more than the slack: a box then closes on the row above, and its last
    // control row stays inside it.
    const int lastRow = FloorDiv(screenPx.Bottom - 1 - kRowSlackPx, kCellHeightPx);
    cells.Bottom = std::max(cells.Top, lastRow) + 1;
    return cells;
}

ui::Rect ScreenMap::PixelsOf(int columns, int rows) {
    return ui::Rect{0, 0, columns * kCellWidthPx, rows * kCellHeightPx};
}

} // namespace terminal
