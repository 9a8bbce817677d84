// The part of the windows that a terminal smaller than them shows. The windows are painted
// into a canvas of their full size; the screen shows a window of it between the hint line
// (the first row) and the status line (the last row), moved only as far as needed to keep
// what the user works on in view.
#pragma once

#include <optional>
#include <utility>

#include "host/terminal/ScreenMap.h"

namespace terminal {

class Viewport {
public:
    // The screen's and the canvas's sizes; the offset is clamped to them.
    void Fit(int screenColumns, int screenRows, int canvasColumns, int canvasRows);
    // Moves the view as little as possible so that the canvas cells are shown; a rectangle
    // larger than the view shows its top left part.
    void KeepInView(const CellRect& canvasCells);

    int Left() const { return left_; }
    int Top() const { return top_; }
    // The canvas cells shown.
    CellRect Shown() const;
    bool MoreLeft() const { return left_ > 0; }
    bool MoreRight() const { return left_ < MaxLeft(); }
    bool MoreAbove() const { return top_ > 0; }
    bool MoreBelow() const { return top_ < MaxTop(); }

    // The canvas cell under a screen cell (none on the hint and status lines), and back.
    std::optional<std::pair<int, int>> ToCanvas(int x, int y) const;
    std::optional<std::pair<int, int>> ToScreen(int x, int y) const;
    CellRect ToScreen(const CellRect& canvasCells) const;

private:
    int MaxLeft() const;
    int MaxTop() const;
    int ViewRows() const { return screenRows_ - 2; }

    int screenColumns_ = 0;
    int screenRows_ = 0;
    int canvasColumns_ = 0;
    int canvasRows_ = 0;
    int left_ = 0;
    int top_ = 0;
};

// The canvas for windows that reach `need` on a screen of this size: at least the screen
// below the hint line, and on its first row, which the hint line covers, nothing of them.
std::pair<int, int> CanvasSize(int needColumns, int needRows, int screenColumns, int screenRows);

} // namespace terminal
