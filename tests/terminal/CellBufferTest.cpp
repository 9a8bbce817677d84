#include "host/terminal/CellBuffer.h"

#include <gtest/gtest.h>

namespace terminal {
namespace {

TEST(CellBuffer, DrawsOnlyInsideEveryPushedClip) {
    CellBuffer buffer;
    buffer.Resize(10, 3);
    buffer.PushClip({2, 0, 8, 3});
    buffer.PushClip({0, 1, 5, 2}); // intersected with the outer clip: columns 2 to 4
    buffer.Text(0, 1, "abcdefgh", kNormal);
    buffer.PopClip();
    buffer.Text(0, 0, "0123456789", kNormal);
    buffer.PopClip();
    EXPECT_EQ(buffer.RowText(0), "  234567  ");
    EXPECT_EQ(buffer.RowText(1), "  cde     ");
    EXPECT_EQ(buffer.RowText(2), "          ");
}

TEST(CellBuffer, BoxHasCornersAndSides) {
    CellBuffer buffer;
    buffer.Resize(4, 3);
    buffer.Box(buffer.Bounds(), kBold);
    EXPECT_EQ(buffer.RowText(0), "┌──┐");
    EXPECT_EQ(buffer.RowText(1), "│  │");
    EXPECT_EQ(buffer.RowText(2), "└──┘");
    EXPECT_EQ(buffer.At(0, 1).Attrs, kBold);
}

TEST(CellBuffer, TextShowsControlCharactersAsBlanksAndStopsAtItsWidth) {
    CellBuffer buffer;
    buffer.Resize(6, 1);
    EXPECT_EQ(buffer.Text(0, 0, "a\tb\nc", kNormal, 4), 4);
    EXPECT_EQ(buffer.RowText(0), "a b   ");
}

TEST(CellBuffer, ColouredCellsKeepTheirColoursUntilOverdrawn) {
    CellBuffer buffer;
    buffer.Resize(2, 1);
    buffer.PutColoured(0, 0, glyph::kUpperHalf, Rgb{1, 2, 3}, Rgb{4, 5, 6});
    buffer.PutColoured(1, 0, glyph::kUpperHalf, Rgb{1, 2, 3}, Rgb{4, 5, 6});
    buffer.Put(1, 0, U'x', kNormal); // a message box over the picture
    EXPECT_TRUE(buffer.At(0, 0).Coloured);
    EXPECT_EQ(buffer.At(0, 0).Bg, (Rgb{4, 5, 6}));
    EXPECT_FALSE(buffer.At(1, 0).Coloured);
}

} // namespace
} // namespace terminal
