#include "host/terminal/StatusLine.h"

#include <algorithm>
#include <vector>

namespace terminal {

namespace {

std::string_view OwnKeys(Place place) {
    switch (place) {
    case Place::Tree:
        return "Up/Down: select  Right/Left: expand/collapse";
    case Place::PushButton:
        return "Space/Enter: press";
    case Place::RadioButton:
        return "Arrows: choose  Enter: default button";
    case Place::ComboList:
        return "Up/Down: move  Enter: choose  Esc: close the list";
    case Place::ComboEdit:
        return "Type: edit  F4: list  Up/Down: choose";
    case Place::Combo:
        return "F4: list  Up/Down: choose";
    case Place::Tabs:
        return "Left/Right: page";
    case Place::MessageBox:
        return "Enter: answer  Tab: other button  Esc: close the box";
    case Place::TooSmall:
        return "q/Esc: quit";
    case Place::Nothing:
        break;
    }
    return "";
}

// Places where the dialog's general keys do not work.
bool Modal(Place place) {
    return place == Place::ComboList || place == Place::MessageBox || place == Place::TooSmall;
}

} // namespace

std::string HintFor(Place place, bool pages, int width) {
    std::vector<std::string_view> general;
    if (!Modal(place)) {
        general = {"Tab: next", "Esc: close"};
        if (pages)
            general.push_back("Ctrl-PgDn/PgUp: page");
    }
    for (;;) {
        std::string hint(OwnKeys(place));
        for (const std::string_view keys : general)
            hint += (hint.empty() ? "" : "  ") + std::string(keys);
        hint += hint.empty() ? "Ctrl-C: quit" : "  Ctrl-C: quit";
        if (static_cast<int>(hint.size()) <= width || general.empty())
            return hint;
        general.pop_back();
    }
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
