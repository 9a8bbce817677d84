#include "host/terminal/FocusOrder.h"

#include "platform/Button.h"
#include "platform/linux/Styles.h"

namespace terminal {
namespace {

namespace desktop = ui::desktop;
using desktop::Kind;

bool IsAutoRadio(const FocusItem& item) {
    return item.Kind == Kind::RadioButton;
}

void Collect(ui::WindowHandle dialog, std::vector<FocusItem>& items, int& group) {
    bool first = true;
    for (const ui::WindowHandle child : desktop::Children(dialog)) {
        const desktop::WindowInfo info = desktop::Inspect(child);
        if (info.Kind == Kind::Dialog) {
            if (info.Visible) {
                ++group;
                Collect(child, items, group);
            }
            first = true;
            continue;
        }
        if (first || (info.Style & ui::style::WS_GROUP))
            ++group;
        first = false;
        FocusItem item;
        item.Window = child;
        item.Kind = info.Kind;
        item.TabStop = (info.Style & ui::style::WS_TABSTOP) != 0;
        item.Usable = desktop::IsReallyVisible(child) && info.Enabled;
        item.Checked =
            info.Kind == Kind::RadioButton && ui::Button(child).GetCheck() == BST_CHECKED;
        item.Group = group;
        items.push_back(item);
    }
}

// The member of a radio group that Tab lands on.
bool IsGroupStop(const std::vector<FocusItem>& items, int index) {
    const FocusItem& item = items[static_cast<std::size_t>(index)];
    int firstUsable = -1;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const FocusItem& other = items[static_cast<std::size_t>(i)];
        if (other.Group != item.Group || !IsAutoRadio(other) || !other.Usable)
            continue;
        if (other.Checked)
            return i == index;
        if (firstUsable < 0)
            firstUsable = i;
    }
    return firstUsable == index;
}

bool SameRadioGroup(const std::vector<FocusItem>& items, int a, int b) {
    const FocusItem& first = items[static_cast<std::size_t>(a)];
    const FocusItem& second = items[static_cast<std::size_t>(b)];
    return IsAutoRadio(first) && IsAutoRadio(second) && first.Group == second.Group;
}

} // namespace

std::vector<FocusItem> CollectControls(ui::WindowHandle dialog) {
    std::vector<FocusItem> items;
    int group = 0;
    Collect(dialog, items, group);
    return items;
}

int IndexOf(const std::vector<FocusItem>& items, ui::WindowHandle window) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (items[static_cast<std::size_t>(i)].Window == window)
            return i;
    return -1;
}

std::vector<int> TabStops(const std::vector<FocusItem>& items) {
    std::vector<int> stops;
    for (int i = 0; i < static_cast<int>(items.size()); ++i) {
        const FocusItem& item = items[static_cast<std::size_t>(i)];
        if (!item.Usable)
            continue;
        if (IsAutoRadio(item) ? IsGroupStop(items, i) : item.TabStop)
            stops.push_back(i);
    }
    return stops;
}

int NextTabStop(const std::vector<FocusItem>& items, int current, bool backwards) {
    const std::vector<int> stops = TabStops(items);
    if (stops.empty())
        return -1;
    if (current < 0)
        return backwards ? stops.back() : stops.front();
    const auto beyond = [&](int stop) {
        if (SameRadioGroup(items, stop, current))
            return false;
        return backwards ? stop < current : stop > current;
    };
    if (backwards) {
        for (auto stop = stops.rbegin(); stop != stops.rend(); ++stop)
            if (beyond(*stop))
                return *stop;
        return stops.back();
    }
    for (const int stop : stops)
        if (beyond(stop))
            return stop;
    return stops.front();
}

int NextInGroup(const std::vector<FocusItem>& items, int current, bool backwards) {
    if (current < 0 || !IsAutoRadio(items[static_cast<std::size_t>(current)]))
        return -1;
    const int count = static_cast<int>(items.size());
    for (int step = 1; step < count; ++step) {
        const int index = ((current + (backwards ? -step : step)) % count + count) % count;
        const FocusItem& item = items[static_cast<std::size_t>(index)];
        if (item.Usable && SameRadioGroup(items, index, current))
            return index;
    }
    return -1;
}

int DefaultButton(const std::vector<FocusItem>& items) {
    for (int i = 0; i < static_cast<int>(items.size()); ++i)
        if (items[static_cast<std::size_t>(i)].Kind == Kind::DefPushButton)
            return i;
    return -1;
}

ui::WindowHandle KeyboardDialog() {
    const auto isDialog = [](ui::WindowHandle window) {
        return window && desktop::IsReallyVisible(window) &&
               desktop::Inspect(window).Kind == Kind::Dialog;
    };
    if (const ui::WindowHandle active = ui::GetActiveWindow().Handle(); isDialog(active))
        return active;
    ui::WindowHandle last = nullptr;
    for (const ui::WindowHandle window : desktop::TopLevelWindows())
        if (isDialog(window))
            last = window;
    return last;
}

} // namespace terminal
