// The status line's word that a Save worked ("Saved 14:02:07"), shown for a few seconds.
// The window's Save is its default push button, which a successful Save disables and a
// failed one leaves enabled (nothing else disables it), so a user action saved when the
// same default button, shown and enabled before the action, is shown and disabled after it.
// That holds also for a Save that finds nothing to change and writes nothing.
#pragma once

#include <chrono>
#include <ctime>
#include <optional>
#include <string>

#include "platform/Window.h"

namespace terminal {

// The default button of the dialog that takes the keys, as a Save can leave it.
struct DefaultButtonState {
    ui::WindowHandle Button = nullptr; // none: no dialog, or one without a default button
    bool Usable = false;               // shown and enabled
};

// "Saved HH:MM:SS" in local time.
std::string SavedText(std::time_t when);

class SaveNotice {
public:
    using Clock = std::chrono::steady_clock;
    static constexpr std::chrono::seconds kShownFor{5};

    // Around each user action.
    void BeforeAction(const DefaultButtonState& state) { before_ = state; }
    void AfterAction(const DefaultButtonState& state, Clock::time_point now, std::time_t wallClock);

    // The notice while it lasts, else an empty text.
    std::string Text(Clock::time_point now) const;

private:
    DefaultButtonState before_;
    std::string text_;
    Clock::time_point until_{};
};

} // namespace terminal
