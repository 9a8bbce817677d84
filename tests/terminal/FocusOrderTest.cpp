#include "host/terminal/FocusOrder.h"

#include <gtest/gtest.h>

#include <cstdint>

namespace terminal {
namespace {

using ui::desktop::Kind;

// Items stand for windows by made-up handles; the navigation only compares them.
ui::WindowHandle Handle(int n) {
    return reinterpret_cast<ui::WindowHandle>(static_cast<std::uintptr_t>(0x1000 + n));
}

FocusItem Control(int n, Kind kind, bool tabStop, int group, bool usable = true) {
    return FocusItem{Handle(n), kind, tabStop, usable, false, group};
}

FocusItem Radio(int n, int group, bool checked, bool usable = true) {
    return FocusItem{Handle(n), Kind::RadioButton, false, usable, checked, group};
}

// The template window with the DI page shown: four buttons (Save disabled), the tree and
// two radio pairs without tab stops, the second pair with its second button checked.
std::vector<FocusItem> TemplateWindow() {
    return {Control(0, Kind::PushButton, true, 1),
            Control(1, Kind::PushButton, true, 1),
            Control(2, Kind::DefPushButton, true, 2, false),
            Control(3, Kind::PushButton, true, 2),
            Control(4, Kind::TabControl, false, 2),
            Control(5, Kind::TreeView, true, 3),
            Control(6, Kind::Text, false, 4),
            Radio(7, 5, false),
            Radio(8, 5, false),
            Radio(9, 6, false),
            Radio(10, 6, true)};
}

TEST(FocusOrder, TabStopsSkipDisabledControlsAndTakeEachRadioGroupOnce) {
    // A group without a checked button is reached through its first, else the checked one.
    EXPECT_EQ(TabStops(TemplateWindow()), (std::vector<int>{0, 1, 3, 5, 7, 10}));
}

TEST(FocusOrder, TabWalksTheStopsAndWrapsBothWays) {
    const auto items = TemplateWindow();
    EXPECT_EQ(NextTabStop(items, -1, false), 0);
    EXPECT_EQ(NextTabStop(items, -1, true), 10);
    EXPECT_EQ(NextTabStop(items, 1, false), 3); // past the disabled Save button
    EXPECT_EQ(NextTabStop(items, 5, false), 7);
    EXPECT_EQ(NextTabStop(items, 10, false), 0);
    EXPECT_EQ(NextTabStop(items, 0, true), 10);
}

TEST(FocusOrder, TabLeavesARadioGroupFromAnyOfItsButtons) {
    const auto items = TemplateWindow();
    EXPECT_EQ(NextTabStop(items, 8, false), 10); // from the group's unchecked second button
    EXPECT_EQ(NextTabStop(items, 9, true), 7);   // back out of the second group
}

TEST(FocusOrder, ArrowsStayWithinTheGroupAndWrap) {
    const auto items = TemplateWindow();
    EXPECT_EQ(NextInGroup(items, 7, false), 8);
    EXPECT_EQ(NextInGroup(items, 8, false), 7);
    EXPECT_EQ(NextInGroup(items, 9, true), 10);
    EXPECT_EQ(NextInGroup(items, 5, false), -1); // not a radio button
}

TEST(FocusOrder, ArrowsSkipDisabledButtons) {
    std::vector<FocusItem> items{Radio(0, 1, true), Radio(1, 1, false, false), Radio(2, 1, false)};
    EXPECT_EQ(NextInGroup(items, 0, false), 2);
    EXPECT_EQ(NextInGroup(items, 0, true), 2);
}

TEST(FocusOrder, DefaultButtonIsTheDefPushButtonEvenWhenDisabled) {
    EXPECT_EQ(DefaultButton(TemplateWindow()), 2);
    EXPECT_EQ(DefaultButton({Control(0, Kind::PushButton, true, 1)}), -1);
}

TEST(FocusOrder, NoStopsMeansNoFocus) {
    EXPECT_EQ(NextTabStop({Control(0, Kind::Text, false, 1)}, -1, false), -1);
}

} // namespace
} // namespace terminal
