#include "host/terminal/SaveNotice.h"

namespace terminal {

std::string SavedText(std::time_t when) {
    std::tm local{};
    localtime_r(&when, &local);
    char text[32];
    std::strftime(text, sizeof text, "Saved %H:%M:%S", &local);
    return text;
}

void SaveNotice::AfterAction(const DefaultButtonState& state, Clock::time_point now,
                             std::time_t wallClock) {
    // A window that closed takes its button out of sight: that is no Save to report.
    const bool saved =
        before_.Button && before_.Usable && state.Button == before_.Button && !state.Usable;
    before_ = DefaultButtonState{};
    if (!saved)
        return;
    text_ = SavedText(wallClock);
    until_ = now + kShownFor;
}

std::string SaveNotice::Text(Clock::time_point now) const {
    return now < until_ ? text_ : std::string();
}

} // namespace terminal
