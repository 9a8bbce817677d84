// The rows a short terminal leaves out: only runs of identical rows of blanks and frame
// lines give up rows, the longest first, each keeping one; the rest of the front end maps
// rows both ways through the fold.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "host/terminal/RowFold.h"

namespace terminal {
namespace {

// One canvas row per text; '|' stands for the frame's vertical line, '#' for a reversed
// blank.
CellBuffer Canvas(const std::vector<std::string>& rows) {
    CellBuffer canvas;
    canvas.Resize(static_cast<int>(rows[0].size()), static_cast<int>(rows.size()));
    canvas.Clear();
    for (int y = 0; y < static_cast<int>(rows.size()); ++y)
        for (int x = 0; x < static_cast<int>(rows[static_cast<std::size_t>(y)].size()); ++x) {
            const char c = rows[static_cast<std::size_t>(y)][static_cast<std::size_t>(x)];
            if (c == '|')
                canvas.Put(x, y, glyph::kVLine, kNormal);
            else if (c == '#')
                canvas.Put(x, y, U' ', kReverse);
            else
                canvas.Put(x, y, static_cast<char32_t>(c), kNormal);
        }
    return canvas;
}

std::vector<int> CanvasRows(const RowFold& fold) {
    std::vector<int> rows;
    for (int row = 0; row < fold.Rows(); ++row)
        rows.push_back(fold.CanvasRow(row));
    return rows;
}

const std::vector<std::string> kWindow = {
    "      ", // 0: under the key line
    "|caption", "|    |  ", "|    |  ", "|    |  ", "|    |  ",
    "| Add   ", "|  |    ", "|  |    ", "        ",
};

TEST(RowFold, NothingIsLeftOutWhenTheCanvasFits) {
    const CellBuffer canvas = Canvas(kWindow);
    const RowFold fold = RowFold::Plan(canvas, 0);
    EXPECT_EQ(fold.Rows(), canvas.Rows());
    EXPECT_EQ(fold.FoldedRow(6), 6);
    EXPECT_EQ(RowFold::Plan(canvas, -3).Rows(), canvas.Rows());
}

TEST(RowFold, TheLongestRunGivesUpRowsFirstAndEveryRunKeepsOne) {
    const CellBuffer canvas = Canvas(kWindow);
    RowFold fold = RowFold::Plan(canvas, 2);
    EXPECT_EQ(CanvasRows(fold), (std::vector<int>{0, 1, 2, 3, 6, 7, 8, 9}));
    fold = RowFold::Plan(canvas, 4);
    EXPECT_EQ(CanvasRows(fold), (std::vector<int>{0, 1, 2, 6, 7, 9}));
    // More than there is to give: rows 2 to 5 keep one, 7 and 8 keep one; row 9 differs
    // from row 8, and rows 0 and 1 hold something or lie under the key line.
    fold = RowFold::Plan(canvas, 100);
    EXPECT_EQ(CanvasRows(fold), (std::vector<int>{0, 1, 2, 6, 7, 9}));
}

TEST(RowFold, RowsMapBothWays) {
    const CellBuffer canvas = Canvas(kWindow);
    const RowFold fold = RowFold::Plan(canvas, 4); // kept: 0 1 2 6 7 9
    EXPECT_EQ(fold.FoldedRow(2), 2);
    EXPECT_EQ(fold.FoldedRow(4), 2) << "a row left out is shown by its run's row";
    EXPECT_EQ(fold.FoldedRow(6), 3);
    EXPECT_EQ(fold.FoldedRow(8), 4);
    EXPECT_EQ(fold.FoldedRow(9), 5);
    EXPECT_EQ(fold.CanvasRow(3), 6);
    EXPECT_EQ(fold.CanvasRow(5), 9);
    // Beyond the edges the distance stays.
    EXPECT_EQ(fold.FoldedRow(11), 7);
    EXPECT_EQ(fold.CanvasRow(7), 11);
    EXPECT_EQ(fold.FoldedRow(-2), -2);
    EXPECT_EQ(fold.ToFolded(CellRect{1, 3, 5, 7}), (CellRect{1, 2, 5, 4}));
    EXPECT_TRUE(fold.ToFolded(CellRect{}).Empty());
}

TEST(RowFold, TheCopyHoldsTheRowsKept) {
    const CellBuffer canvas = Canvas(kWindow);
    const RowFold fold = RowFold::Plan(canvas, 4);
    CellBuffer folded;
    fold.Copy(canvas, folded);
    ASSERT_EQ(folded.Rows(), 6);
    EXPECT_EQ(folded.Columns(), canvas.Columns());
    EXPECT_EQ(folded.RowText(1), canvas.RowText(1));
    EXPECT_EQ(folded.RowText(3), canvas.RowText(6));
    EXPECT_EQ(folded.RowText(5), canvas.RowText(9));
}

// Text, and rows that look alike but differ in their attributes (a selected empty row),
// never give up a row.
TEST(RowFold, OnlyIdenticalEmptyRowsFold) {
    const CellBuffer canvas = Canvas({
        "    ",
        "| x|",
        "| x|",
        "|# |",
        "|  |",
        "|# |",
        "|  |",
    });
    EXPECT_EQ(RowFold::Plan(canvas, 10).Rows(), canvas.Rows());
}

} // namespace
} // namespace terminal
