// The word that a Save worked: when a user action counts as a Save, what the status line
// then says and for how long.
#include <gtest/gtest.h>

#include <cstdlib>

#include "host/terminal/SaveNotice.h"

namespace terminal {
namespace {

using namespace std::chrono_literals;
using Clock = SaveNotice::Clock;

class SaveNoticeTest : public ::testing::Test {
protected:
    void SetUp() override {
        setenv("TZ", "UTC", 1);
        tzset();
    }

    // Two distinct buttons; the notice compares them, never uses them.
    int first_ = 0;
    int second_ = 0;
    ui::WindowHandle Save() { return reinterpret_cast<ui::WindowHandle>(&first_); }
    ui::WindowHandle Other() { return reinterpret_cast<ui::WindowHandle>(&second_); }

    const Clock::time_point start_ = Clock::time_point{} + 1000s;
    static constexpr std::time_t kTwoPast = 14 * 3600 + 2 * 60 + 7;
};

TEST_F(SaveNoticeTest, SavedTextIsTheLocalTimeOfTheSave) {
    EXPECT_EQ(SavedText(kTwoPast), "Saved 14:02:07");
    EXPECT_EQ(SavedText(0), "Saved 00:00:00");
}

TEST_F(SaveNoticeTest, TheDefaultButtonTurningDisabledIsASaveShownForAWhile) {
    SaveNotice notice;
    EXPECT_EQ(notice.Text(start_), "");
    notice.BeforeAction({Save(), true});
    notice.AfterAction({Save(), false}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "Saved 14:02:07");
    EXPECT_EQ(notice.Text(start_ + SaveNotice::kShownFor - 1ms), "Saved 14:02:07");
    EXPECT_EQ(notice.Text(start_ + SaveNotice::kShownFor), "");

    // A later Save shows its own time, for its own while.
    const Clock::time_point later = start_ + 60s;
    notice.BeforeAction({Save(), true});
    notice.AfterAction({Save(), false}, later, kTwoPast + 60);
    EXPECT_EQ(notice.Text(later + 4s), "Saved 14:03:07");
}

TEST_F(SaveNoticeTest, OtherActionsAreNoSave) {
    SaveNotice notice;
    // A failed Save leaves the button enabled.
    notice.BeforeAction({Save(), true});
    notice.AfterAction({Save(), true}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "");
    // Nothing to save: the button was disabled already.
    notice.BeforeAction({Save(), false});
    notice.AfterAction({Save(), false}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "");
    // The window closed (no dialog takes the keys), or another dialog took them.
    notice.BeforeAction({Save(), true});
    notice.AfterAction({}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "");
    notice.BeforeAction({Save(), true});
    notice.AfterAction({Other(), false}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "");
    // An action that was not watched from its start.
    notice.AfterAction({Save(), false}, start_, kTwoPast);
    EXPECT_EQ(notice.Text(start_), "");
}

} // namespace
} // namespace terminal
