#include "host/terminal/StatusLine.h"

#include <algorithm>
#include <vector>

namespace terminal {

namespace {

// One key of the hint line; the lower the rank, the longer it stays as the line narrows.
struct Hint {
    std::string_view Keys;
    int Rank;
};

// The way out and the way to the other page outlast everything else.
constexpr int kQuitRank = 0;
constexpr int kPageRank = 1;

std::vector<Hint> OwnHints(Place place) {
    switch (place) {
    case Place::Tree:
        return {{"Up/Down: select", 2}, {"Right/Left: open/close", 3}};
    case Place::PushButton:
        return {{"Space/Enter: press", 2}};
    case Place::RadioButton:
        return {{"Arrows: choose", 2}, {"Enter: default button", 5}};
    case Place::ComboList:
        return {{"Up/Down: move", 3}, {"Enter: choose", 2}, {"Esc: close the list", 3}};
    case Place::ComboEdit:
        return {{"Type: edit", 4}, {"F4: list", 2}, {"Up/Down: choose", 3}};
    case Place::Combo:
        return {{"F4: list", 2}, {"Up/Down: choose", 3}};
    case Place::Tabs:
        return {{"Left/Right: page", 2}};
    case Place::MessageBox:
        return {{"Enter: answer", 1}, {"Tab: other button", 4}, {"Esc: close the box", 3}};
    case Place::TooSmall:
        return {{"q/Esc: quit", 1}};
    case Place::Nothing:
        break;
    }
    return {};
}

// Places where the dialog's general keys do not work.
bool Modal(Place place) {
    return place == Place::ComboList || place == Place::MessageBox || place == Place::TooSmall;
}

std::string Join(const std::vector<Hint>& hints) {
    std::string line;
    for (const Hint& hint : hints)
        line += (line.empty() ? "" : "  ") + std::string(hint.Keys);
    return line;
}

} // namespace

std::string HintFor(Place place, bool pages, int width) {
    std::vector<Hint> hints = OwnHints(place);
    if (!Modal(place)) {
        hints.push_back({"Tab: next", 4});
        hints.push_back({"Esc: close", 5});
        if (pages && place != Place::Tabs)
            hints.push_back({"Ctrl-PgDn/PgUp: page", kPageRank});
    }
    hints.push_back({"Ctrl-C: quit", kQuitRank});
    // Whole hints go, the highest rank first (of equal ranks the one further right), until
    // the line fits; a hint is never cut.
    for (std::string line = Join(hints); !hints.empty(); line = Join(hints)) {
        if (static_cast<int>(line.size()) <= width)
            return line;
        auto drop = hints.begin();
        for (auto hint = hints.begin(); hint != hints.end(); ++hint)
            if (hint->Rank >= drop->Rank)
                drop = hint;
        hints.erase(drop);
    }
    return std::string();
}

std::string ShortenPath(std::string_view path, int width) {
    if (width <= 0)
        return std::string();
    const auto room = static_cast<std::size_t>(width);
    if (path.size() <= room)
        return std::string(path);
    constexpr std::string_view kGap = "...";
    if (room <= kGap.size())
        return std::string(path.substr(path.size() - room));
    const std::size_t slash = path.find_last_of('/');
    const std::size_t nameLength =
        slash == std::string_view::npos ? path.size() : path.size() - slash;
    const std::size_t keep = room - kGap.size();
    // The file name (with its separator) is kept whole when it fits; the rest of the room
    // goes to the start of the path, which shows the root.
    const std::size_t tail = std::min(nameLength, keep);
    const std::size_t head = keep - tail;
    return std::string(path.substr(0, head)) + std::string(kGap) +
           std::string(path.substr(path.size() - tail));
}

} // namespace terminal
