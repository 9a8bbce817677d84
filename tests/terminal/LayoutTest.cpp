#include <gtest/gtest.h>

#include <cstdlib>

#include "host/terminal/ControlPainter.h"
#include "host/terminal/MessageBoxView.h"
#include "host/terminal/ScreenMap.h"
#include "host/terminal/TextWrap.h"
#include "host/terminal/TreePainter.h"

namespace terminal {
namespace {

CellRect Cells(int left, int top, int right, int bottom) {
    return ScreenMap{}.ToCells(ui::Rect{left, top, right, bottom});
}

TEST(ScreenMap, CellsAreSixByThirteenPixels) {
    EXPECT_EQ(Cells(239, 130, 252, 143), (CellRect{39, 10, 41, 11})); // a radio button
    EXPECT_EQ(Cells(0, 0, 519, 13), (CellRect{0, 0, 87, 1}));
    EXPECT_EQ(Cells(-7, -13, -1, 0), (CellRect{-2, -1, -1, 0}));
}

TEST(ScreenMap, EdgesWithinAQuarterRowOfABoundarySnapToIt) {
    // A label three pixels above a row boundary shares the row of the controls below it.
    EXPECT_EQ(Cells(174, 194, 210, 207).Top, 15);
    EXPECT_EQ(Cells(174, 190, 210, 203).Top, 14);
    // A button 21 pixels high keeps two rows although its bottom reaches a third.
    EXPECT_EQ(Cells(216, 409, 282, 430), (CellRect{36, 31, 47, 33}));
}

TEST(ScreenMap, AGroupBoxEnclosesTheControlsOfItsLastRow) {
    const CellRect box = Cells(167, 56, 479, 147);
    const CellRect lastRow = Cells(239, 127, 252, 140);
    EXPECT_EQ(box, (CellRect{27, 4, 79, 12}));
    EXPECT_LT(lastRow.Top, box.Bottom - 1); // above the box's bottom line
}

TEST(ScreenMap, AControlIsNeverLessThanOneCell) {
    EXPECT_EQ(Cells(60, 26, 60, 26), (CellRect{10, 2, 11, 3}));
}

TEST(ComboList, OpensBelowWhenItFitsElseAboveElseOnTheRoomierSide) {
    const CellRect combo{70, 26, 81, 48}; // the field's row and the dropped height
    EXPECT_EQ(ComboListCells(combo, 16, 60), (CellRect{70, 27, 81, 45}));
    EXPECT_EQ(ComboListCells(combo, 16, 40), (CellRect{70, 8, 81, 26}));
    EXPECT_EQ(ComboListCells(CellRect{0, 5, 10, 27}, 16, 20), (CellRect{0, 6, 10, 20}));
}

TEST(ComboList, ShowsNoMoreItemsThanTheDroppedHeightHolds) {
    EXPECT_EQ(ComboListCells(CellRect{0, 0, 10, 6}, 16, 40), (CellRect{0, 1, 10, 6}));
}

ui::desktop::MessageBoxRequest Request(const char* text, unsigned flags) {
    ui::desktop::MessageBoxRequest request;
    request.Caption = "PCI3916Cfg";
    request.Text = text;
    request.Flags = flags;
    return request;
}

TEST(MessageBoxLayout, IsCentredOverItsOwner) {
    const MessageBoxLayout layout = LayOutMessageBox(Request("SwitchID already used!", MB_OK),
                                                     CellRect{26, 4, 83, 30}, 120, 40);
    EXPECT_EQ(layout.Box, (CellRect{41, 14, 67, 20}));
    ASSERT_EQ(layout.Buttons.size(), 1u);
    EXPECT_EQ(layout.Buttons[0], (CellRect{51, 18, 57, 19}));
    EXPECT_EQ(layout.Lines, (std::vector<std::string>{"SwitchID already used!"}));
}

TEST(MessageBoxLayout, WithoutOwnerIsCentredOnTheScreenAndStaysOnIt) {
    const auto request =
        Request("The configuration of PCI3916 is change, save the change", MB_OKCANCEL);
    const MessageBoxLayout centred = LayOutMessageBox(request, CellRect{}, 100, 30);
    EXPECT_LE(std::abs(centred.Box.Left - (100 - centred.Box.Right)), 1);
    ASSERT_EQ(centred.Buttons.size(), 2u);
    EXPECT_EQ(centred.Buttons[1].Width(), 10); // [ Cancel ]
    const MessageBoxLayout pushed = LayOutMessageBox(request, CellRect{90, 0, 100, 2}, 100, 30);
    EXPECT_EQ(pushed.Box.Right, 100);
    // Below the hint line and above the status line, which stay whole beside it.
    EXPECT_EQ(pushed.Box.Top, 1);
    const MessageBoxLayout low = LayOutMessageBox(request, CellRect{0, 28, 100, 30}, 100, 30);
    EXPECT_EQ(low.Box.Bottom, 29);
    EXPECT_TRUE(centred.Complete && pushed.Complete);
}

// A screen smaller than the box: the box is cut to it and says so, for the presenter,
// which then shows the request for a larger terminal instead of a box cut short.
TEST(MessageBoxLayout, OnAScreenTooSmallForTheBoxIsMarkedIncomplete) {
    const auto request = Request("SwitchID already used!", MB_OK);
    const MessageBoxLayout fits = LayOutMessageBox(request, CellRect{}, 30, 6);
    EXPECT_TRUE(fits.Complete);
    EXPECT_EQ(fits.Box, (CellRect{2, 0, 28, 6})); // no room for the lines: over them
    EXPECT_FALSE(LayOutMessageBox(request, CellRect{}, 30, 5).Complete);
    // Narrower, the text wraps and the box grows a row.
    const MessageBoxLayout wrapped = LayOutMessageBox(request, CellRect{}, 27, 7);
    EXPECT_TRUE(wrapped.Complete);
    EXPECT_EQ(wrapped.Lines.size(), 2u);
    EXPECT_FALSE(LayOutMessageBox(request, CellRect{}, 27, 6).Complete);
    EXPECT_FALSE(LayOutMessageBox(request, CellRect{}, 14, 20).Complete);
    const MessageBoxLayout cut = LayOutMessageBox(request, CellRect{}, 20, 4);
    EXPECT_LE(cut.Box.Right, 20);
    EXPECT_LE(cut.Box.Bottom, 4);
}

TEST(MessageBoxLayout, AStopIconMovesTheTextRightAndLongTextWraps) {
    const std::string text(70, 'x');
    const MessageBoxLayout layout =
        LayOutMessageBox(Request(text.c_str(), MB_OK | MB_ICONSTOP), CellRect{}, 120, 40);
    EXPECT_EQ(layout.TextLeft, layout.Box.Left + 6);
    EXPECT_EQ(layout.Lines.size(), 2u);
}

TEST(TextWrap, BreaksAtLineFeedsAndBetweenWords) {
    EXPECT_EQ(WrapLines("\n*64 Isolated\n", 20),
              (std::vector<std::string>{"", "*64 Isolated", ""}));
    EXPECT_EQ(WrapLines("one two three", 8), (std::vector<std::string>{"one two", "three"}));
    EXPECT_EQ(WrapLines("Disable", 6), (std::vector<std::string>{"Disabl", "e"}));
}

ui::desktop::TreeRow Row(int depth, bool children = false) {
    return ui::desktop::TreeRow{nullptr, depth, "", children, children, false};
}

TEST(TreeLayout, LinesJoinEachItemToItsParentAndRunOnToLaterSiblings) {
    // DeviceTemplate > PCI-3916 > Template0, Template1; then a second model node.
    const auto layouts = LayOutTree({Row(0, true), Row(1, true), Row(2), Row(2), Row(1)});
    ASSERT_EQ(layouts.size(), 5u);
    EXPECT_EQ(layouts[0].Lines, U"");
    EXPECT_EQ(layouts[0].TextColumn, 3);
    EXPECT_EQ(layouts[1].Lines, U" ├");
    EXPECT_EQ(layouts[2].Lines, U" │ ├");
    EXPECT_EQ(layouts[3].Lines, U" │ └");
    EXPECT_EQ(layouts[4].Lines, U" └");
    EXPECT_EQ(layouts[3].ButtonColumn, 4);
    EXPECT_EQ(layouts[3].TextColumn, 7);
}

} // namespace
} // namespace terminal
