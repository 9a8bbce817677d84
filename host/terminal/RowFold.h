// Rows of the windows that a short terminal leaves out. Runs of identical rows that hold
// nothing but blanks and vertical frame lines (an empty stretch of a frame, the space
// between two controls) carry nothing a user reads, so a canvas taller than the screen
// gives up such rows before the view has to scroll: the longest runs shrink first, each
// keeping at least one row. The first canvas row, which the hint line covers, is kept.
#pragma once

#include <vector>

#include "host/terminal/CellBuffer.h"

namespace terminal {

class RowFold {
public:
    // No row left out: the canvas as it is.
    RowFold() = default;
    // Leaves out at most `excess` rows of the canvas.
    static RowFold Plan(const CellBuffer& canvas, int excess);

    // The rows that remain.
    int Rows() const { return static_cast<int>(kept_.size()); }
    // The canvas row shown as a remaining row (clamped to the rows there are).
    int CanvasRow(int foldedRow) const;
    // The remaining row that shows a canvas row: a row left out is shown by the row of its
    // run that remains. Rows outside the canvas keep their distance to its edge.
    int FoldedRow(int canvasRow) const;
    CellRect ToFolded(const CellRect& canvasCells) const;

    // The canvas without the rows left out.
    void Copy(const CellBuffer& canvas, CellBuffer& folded) const;

private:
    std::vector<int> kept_;   // the canvas rows that remain, ascending
    std::vector<int> folded_; // for each canvas row, the remaining row that shows it
};

} // namespace terminal
