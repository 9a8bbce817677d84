#include "host/terminal/Viewport.h"

#include <algorithm>

namespace terminal {

std::pair<int, int> CanvasSize(int needColumns, int needRows, int screenColumns, int screenRows) {
    return {std::max(needColumns, screenColumns), std::max(needRows, screenRows - 1)};
}

void Viewport::Fit(int screenColumns, int screenRows, int canvasColumns, int canvasRows) {
    screenColumns_ = screenColumns;
    screenRows_ = screenRows;
    canvasColumns_ = canvasColumns;
    canvasRows_ = canvasRows;
    left_ = std::clamp(left_, 0, MaxLeft());
    top_ = std::clamp(top_, 0, MaxTop());
}

int Viewport::MaxLeft() const {
    return std::max(0, canvasColumns_ - screenColumns_);
}

// Canvas row 0 lies under the hint line, so the last canvas row is shown on the row above
// the status line when the canvas row top + screenRows - 2 is the last one.
int Viewport::MaxTop() const {
    return std::max(0, canvasRows_ - (screenRows_ - 1));
}

void Viewport::KeepInView(const CellRect& canvasCells) {
    if (canvasCells.Empty())
        return;
    if (canvasCells.Right > left_ + screenColumns_)
        left_ = canvasCells.Right - screenColumns_;
    if (canvasCells.Left < left_)
        left_ = canvasCells.Left;
    if (canvasCells.Bottom > top_ + 1 + ViewRows())
        top_ = canvasCells.Bottom - 1 - ViewRows();
    if (canvasCells.Top < top_ + 1)
        top_ = canvasCells.Top - 1;
    left_ = std::clamp(left_, 0, MaxLeft());
    top_ = std::clamp(top_, 0, MaxTop());
}

CellRect Viewport::Shown() const {
    return CellRect{left_, top_ + 1, left_ + screenColumns_, top_ + 1 + std::max(0, ViewRows())};
}

std::optional<std::pair<int, int>> Viewport::ToCanvas(int x, int y) const {
    if (x < 0 || x >= screenColumns_ || y < 1 || y >= screenRows_ - 1)
        return std::nullopt;
    return std::pair{x + left_, y + top_};
}

std::optional<std::pair<int, int>> Viewport::ToScreen(int x, int y) const {
    if (!Shown().Contains(x, y))
        return std::nullopt;
    return std::pair{x - left_, y - top_};
}

CellRect Viewport::ToScreen(const CellRect& canvasCells) const {
    return CellRect{canvasCells.Left - left_, canvasCells.Top - top_, canvasCells.Right - left_,
                    canvasCells.Bottom - top_};
}

} // namespace terminal
