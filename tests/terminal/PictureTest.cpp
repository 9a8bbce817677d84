#include <gtest/gtest.h>

#include "host/terminal/Palette.h"
#include "host/terminal/PictureRenderer.h"

namespace terminal {
namespace {

ui::desktop::Pixels Picture(int width, int height, std::vector<std::uint8_t> rgb) {
    return ui::desktop::Pixels{width, height, std::move(rgb)};
}

TEST(Picture, EachHalfCellAveragesThePixelsItCovers) {
    // 2 by 2 pixels into one cell: the upper half is the top row, the lower the bottom row.
    const auto cells =
        ScalePicture(Picture(2, 2, {200, 0, 0, 100, 0, 0, 0, 0, 50, 0, 0, 150}), 1, 1);
    ASSERT_EQ(cells.size(), 1u);
    EXPECT_EQ(cells[0].Upper, (Rgb{150, 0, 0}));
    EXPECT_EQ(cells[0].Lower, (Rgb{0, 0, 100}));
}

TEST(Picture, ScalesUpByRepeatingPixels) {
    const auto cells = ScalePicture(Picture(1, 1, {10, 20, 30}), 3, 2);
    ASSERT_EQ(cells.size(), 6u);
    for (const CellColours& cell : cells) {
        EXPECT_EQ(cell.Upper, (Rgb{10, 20, 30}));
        EXPECT_EQ(cell.Lower, (Rgb{10, 20, 30}));
    }
}

TEST(Picture, ShortPixelDataGivesNothingToDraw) {
    EXPECT_TRUE(ScalePicture(Picture(2, 2, {1, 2, 3}), 1, 1).empty());
}

TEST(Picture, MonochromeTerminalGetsAFramedPlaceholder) {
    CellBuffer buffer;
    buffer.Resize(20, 3);
    PaintPicture(buffer, buffer.Bounds(),
                 Picture(219, 159, std::vector<std::uint8_t>(219 * 159 * 3)),
                 ColourMode::Monochrome, true);
    EXPECT_EQ(buffer.RowText(1), "│ picture 219x159  │");
    EXPECT_FALSE(buffer.At(5, 1).Coloured);
}

TEST(Picture, ColourTerminalGetsHalfBlocksOrColouredBlanks) {
    CellBuffer buffer;
    buffer.Resize(1, 1);
    const auto pixels = Picture(1, 2, {255, 0, 0, 0, 0, 255});
    PaintPicture(buffer, buffer.Bounds(), pixels, ColourMode::Colours256, true);
    EXPECT_EQ(buffer.At(0, 0).Ch, glyph::kUpperHalf);
    EXPECT_EQ(buffer.At(0, 0).Fg, (Rgb{255, 0, 0}));
    EXPECT_EQ(buffer.At(0, 0).Bg, (Rgb{0, 0, 255}));
    PaintPicture(buffer, buffer.Bounds(), pixels, ColourMode::Colours8, false);
    EXPECT_EQ(buffer.At(0, 0).Ch, U' ');
    EXPECT_EQ(buffer.At(0, 0).Bg, (Rgb{127, 0, 127}));
}

TEST(Palette, ModeFollowsTheColourCountAndColorTerm) {
    EXPECT_EQ(ChooseColourMode(false, 256, "truecolor"), ColourMode::Monochrome);
    EXPECT_EQ(ChooseColourMode(true, 2, ""), ColourMode::Monochrome);
    EXPECT_EQ(ChooseColourMode(true, 8, ""), ColourMode::Colours8);
    EXPECT_EQ(ChooseColourMode(true, 256, ""), ColourMode::Colours256);
    EXPECT_EQ(ChooseColourMode(true, 256, "truecolor"), ColourMode::TrueColour);
    EXPECT_EQ(ChooseColourMode(true, 8, "24bit"), ColourMode::TrueColour);
}

TEST(Palette, NearestColoursOfTheCubeTheGreyRampAndTheBasicEight) {
    EXPECT_EQ(Nearest256Colour(Rgb{255, 0, 0}), 196);
    EXPECT_EQ(Nearest256Colour(Rgb{0, 0, 0}), 16);
    EXPECT_EQ(Nearest256Colour(Rgb{95, 135, 175}), 16 + 36 * 1 + 6 * 2 + 3);
    EXPECT_EQ(Nearest256Colour(Rgb{128, 128, 128}), 244); // grey 128 on the ramp
    EXPECT_EQ(NearestBasicColour(Rgb{250, 10, 10}), 1);
    EXPECT_EQ(NearestBasicColour(Rgb{20, 200, 30}), 2);
    EXPECT_EQ(NearestBasicColour(Rgb{240, 240, 240}), 7);
    EXPECT_EQ(NearestBasicColour(Rgb{10, 10, 10}), 0);
}

} // namespace
} // namespace terminal
