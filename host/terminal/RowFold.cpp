#include "host/terminal/RowFold.h"

#include <algorithm>

namespace terminal {
namespace {

bool HoldsNothingToRead(const CellBuffer& canvas, int y) {
    for (int x = 0; x < canvas.Columns(); ++x) {
        const char32_t ch = canvas.At(x, y).Ch;
        if (ch != U' ' && ch != glyph::kVLine)
            return false;
    }
    return true;
}

bool SameRow(const CellBuffer& canvas, int a, int b) {
    for (int x = 0; x < canvas.Columns(); ++x)
        if (!(canvas.At(x, a) == canvas.At(x, b)))
            return false;
    return true;
}

struct Run {
    int Start = 0;
    int Length = 0;
    int Kept = 0;
};

} // namespace

RowFold RowFold::Plan(const CellBuffer& canvas, int excess) {
    const int rows = canvas.Rows();
    std::vector<Run> runs;
    for (int y = 1; y < rows; ++y) {
        const bool continues = !runs.empty() && runs.back().Start + runs.back().Length == y &&
                               HoldsNothingToRead(canvas, y) && SameRow(canvas, y - 1, y);
        if (continues)
            ++runs.back().Length;
        else if (HoldsNothingToRead(canvas, y))
            runs.push_back({y, 1, 1});
    }
    for (Run& run : runs)
        run.Kept = run.Length;
    // One row at a time from the run that keeps the most, the first of equals.
    for (; excess > 0; --excess) {
        Run* longest = nullptr;
        for (Run& run : runs)
            if (run.Kept > 1 && (!longest || run.Kept > longest->Kept))
                longest = &run;
        if (!longest)
            break;
        --longest->Kept;
    }

    RowFold fold;
    fold.folded_.resize(static_cast<std::size_t>(rows));
    std::size_t next = 0;
    for (int y = 0; y < rows; ++y) {
        while (next < runs.size() && runs[next].Start + runs[next].Length <= y)
            ++next;
        const bool leftOut = next < runs.size() && y >= runs[next].Start + runs[next].Kept;
        if (!leftOut)
            fold.kept_.push_back(y);
        fold.folded_[static_cast<std::size_t>(y)] = static_cast<int>(fold.kept_.size()) - 1;
    }
    return fold;
}

int RowFold::CanvasRow(int foldedRow) const {
    if (kept_.empty())
        return foldedRow;
    if (foldedRow < 0)
        return foldedRow;
    if (foldedRow >= Rows())
        return kept_.back() + (foldedRow - Rows() + 1);
    return kept_[static_cast<std::size_t>(foldedRow)];
}

int RowFold::FoldedRow(int canvasRow) const {
    const int rows = static_cast<int>(folded_.size());
    if (rows == 0 || canvasRow < 0)
        return canvasRow;
    if (canvasRow >= rows)
        return Rows() + (canvasRow - rows);
    return folded_[static_cast<std::size_t>(canvasRow)];
}

CellRect RowFold::ToFolded(const CellRect& canvasCells) const {
    if (canvasCells.Empty())
        return canvasCells;
    return CellRect{canvasCells.Left, FoldedRow(canvasCells.Top), canvasCells.Right,
                    FoldedRow(canvasCells.Bottom - 1) + 1};
}

void RowFold::Copy(const CellBuffer& canvas, CellBuffer& folded) const {
    folded.Resize(canvas.Columns(), Rows());
    folded.Clear();
    for (int row = 0; row < Rows(); ++row)
        for (int x = 0; x < canvas.Columns(); ++x)
            folded.PutCell(x, row, canvas.At(x, kept_[static_cast<std::size_t>(row)]));
}

} // namespace terminal
