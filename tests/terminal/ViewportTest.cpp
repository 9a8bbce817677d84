#include <gtest/gtest.h>

#include "host/terminal/StatusLine.h"
#include "host/terminal/Viewport.h"

namespace terminal {
namespace {

// An 87 by 34 window on an 80 by 24 screen: 22 rows of view between the two lines.
Viewport Small() {
    Viewport view;
    const auto [columns, rows] = CanvasSize(87, 34, 80, 24);
    EXPECT_EQ(columns, 87);
    EXPECT_EQ(rows, 34);
    view.Fit(80, 24, columns, rows);
    return view;
}

TEST(Viewport, MovesOnlyAsFarAsTheFocusNeedsAndStopsAtTheEdges) {
    Viewport view = Small();
    EXPECT_EQ(view.Shown(), (CellRect{0, 1, 80, 23}));
    EXPECT_FALSE(view.MoreAbove());
    EXPECT_TRUE(view.MoreBelow());
    EXPECT_TRUE(view.MoreRight());

    view.KeepInView(CellRect{70, 32, 85, 34}); // buttons at the bottom right
    EXPECT_EQ(view.Shown(), (CellRect{5, 12, 85, 34}));
    EXPECT_TRUE(view.MoreAbove());
    EXPECT_FALSE(view.MoreBelow());
    view.KeepInView(CellRect{10, 20, 20, 21}); // already shown: no move
    EXPECT_EQ(view.Shown(), (CellRect{5, 12, 85, 34}));
    view.KeepInView(CellRect{0, 3, 22, 4});
    EXPECT_EQ(view.Shown(), (CellRect{0, 3, 80, 25}));
    view.KeepInView(CellRect{0, 0, 1, 1}); // the caption row lies under the hint line
    EXPECT_EQ(view.Top(), 0);
    view.KeepInView(CellRect{86, 40, 90, 45}); // beyond the canvas: clamped
    EXPECT_EQ(view.Shown(), (CellRect{7, 12, 87, 34}));
}

TEST(Viewport, ARectangleLargerThanTheViewShowsItsTopLeft) {
    Viewport view = Small();
    view.KeepInView(CellRect{0, 25, 87, 34});
    view.KeepInView(CellRect{2, 2, 86, 33});
    EXPECT_EQ(view.Left(), 2);
    EXPECT_EQ(view.Shown().Top, 2);
}

TEST(Viewport, MapsScreenCellsBothWaysAndSkipsTheTwoLines) {
    Viewport view = Small();
    view.KeepInView(CellRect{70, 31, 85, 33});
    EXPECT_EQ(view.ToCanvas(0, 1), (std::pair{5, 11}));
    EXPECT_EQ(view.ToCanvas(79, 22), (std::pair{84, 32}));
    EXPECT_FALSE(view.ToCanvas(3, 0)) << "the hint line";
    EXPECT_FALSE(view.ToCanvas(3, 23)) << "the status line";
    EXPECT_EQ(view.ToScreen(84, 32), (std::pair{79, 22}));
    EXPECT_FALSE(view.ToScreen(4, 20));
    EXPECT_EQ(view.ToScreen(CellRect{10, 20, 30, 25}), (CellRect{5, 10, 25, 15}));

    // Growing the screen pulls the view back inside the canvas.
    view.Fit(120, 40, 120, 39);
    EXPECT_EQ(view.Shown(), (CellRect{0, 1, 120, 39}));
    EXPECT_FALSE(view.MoreAbove() || view.MoreBelow() || view.MoreLeft() || view.MoreRight());
}

TEST(StatusLine, ALongPathKeepsItsStartAndTheFileName) {
    const std::string path = "/home/user/.local/share/pci3916cfg/driver-tree/Public/Tarnwick/"
                             "Device_Drivers/PCI3916/PCI3916.reg";
    EXPECT_EQ(ShortenPath(path, static_cast<int>(path.size())), path);
    EXPECT_EQ(ShortenPath(path, 40), "/home/user/.local/share/p.../PCI3916.reg");
    EXPECT_EQ(ShortenPath(path, 40).size(), 40u);
    EXPECT_EQ(ShortenPath(path, 15), ".../PCI3916.reg");
    EXPECT_EQ(ShortenPath(path, 10), "...916.reg");
    EXPECT_EQ(ShortenPath(path, 2), "eg");
    EXPECT_EQ(ShortenPath(path, 0), "");
}

// Every word of a hint line belongs to a whole hint of the wide line, in its order.
bool MadeOfWholeHints(const std::string& narrow, const std::string& wide) {
    std::size_t from = 0;
    std::size_t start = 0;
    while (start < narrow.size()) {
        std::size_t end = narrow.find("  ", start);
        if (end == std::string::npos)
            end = narrow.size();
        const std::string hint = narrow.substr(start, end - start);
        const std::size_t at = wide.find(hint, from);
        const bool whole =
            at != std::string::npos && (at == 0 || wide.compare(at - 2, 2, "  ") == 0) &&
            (at + hint.size() == wide.size() || wide.compare(at + hint.size(), 2, "  ") == 0);
        if (!whole)
            return false;
        from = at + hint.size();
        start = end + 2;
    }
    return true;
}

TEST(StatusLine, HintsDropWholeHintsByRankAndKeepThePageKeyAndCtrlC) {
    const std::string wide = HintFor(Place::Tree, true, 200);
    EXPECT_EQ(wide, "Up/Down: select  Right/Left: open/close  Tab: next  Esc: close  "
                    "Ctrl-PgDn/PgUp: page  Ctrl-C: quit");
    // 80 columns: the general keys go first, the page key stays.
    EXPECT_EQ(HintFor(Place::Tree, true, 76),
              "Up/Down: select  Right/Left: open/close  Ctrl-PgDn/PgUp: page  Ctrl-C: quit");
    // The narrowest terminal shown (40 columns) still names the page key, in every place
    // where the dialog's keys work.
    for (const Place place : {Place::Nothing, Place::Tree, Place::PushButton, Place::RadioButton,
                              Place::ComboEdit, Place::Combo}) {
        const std::string line = HintFor(place, true, 36);
        EXPECT_NE(line.find("Ctrl-PgDn/PgUp: page"), std::string::npos) << line;
        EXPECT_NE(line.find("Ctrl-C: quit"), std::string::npos) << line;
    }
    EXPECT_EQ(HintFor(Place::Tabs, true, 36), "Left/Right: page  Ctrl-C: quit");
    EXPECT_EQ(HintFor(Place::Tree, false, 10), "");
    EXPECT_EQ(HintFor(Place::Tree, false, 12), "Ctrl-C: quit");
    // In a message box or an open list the dialog's keys do not work.
    EXPECT_EQ(HintFor(Place::MessageBox, true, 200).find("Tab: next"), std::string::npos);
    EXPECT_EQ(HintFor(Place::TooSmall, true, 200), "q/Esc: quit  Ctrl-C: quit");
}

TEST(StatusLine, AHintLineIsNeverCutInAWord) {
    for (const Place place :
         {Place::Nothing, Place::Tree, Place::PushButton, Place::RadioButton, Place::ComboList,
          Place::ComboEdit, Place::Combo, Place::Tabs, Place::MessageBox, Place::TooSmall}) {
        for (const bool pages : {false, true}) {
            const std::string wide = HintFor(place, pages, 1000);
            for (int width = 0; width <= 130; ++width) {
                const std::string line = HintFor(place, pages, width);
                EXPECT_LE(static_cast<int>(line.size()), width);
                EXPECT_TRUE(MadeOfWholeHints(line, wide)) << width << ": " << line;
                // A wider line never holds less.
                EXPECT_GE(HintFor(place, pages, width + 1).size(), line.size());
            }
        }
    }
}

} // namespace
} // namespace terminal
