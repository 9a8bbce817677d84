#include "platform/TabControl.h"

#include "platform/linux/WindowObject.h"

namespace ui {

int TabControl::InsertItem(int index, std::string_view text) const {
    auto* tabs = detail::FindState<detail::TabState>(Handle());
    if (!tabs || index < 0)
        return -1;
    const int count = static_cast<int>(tabs->Tabs.size());
    const int at = index > count ? count : index;
    tabs->Tabs.insert(tabs->Tabs.begin() + at, std::string(text));
    // The first tab becomes current; a tab inserted before the current one moves it on.
    if (tabs->Selected < 0)
        tabs->Selected = 0;
    else if (at <= tabs->Selected)
        ++tabs->Selected;
    detail::Changed();
    return at;
}

int TabControl::GetItemCount() const {
    const auto* tabs = detail::FindState<detail::TabState>(Handle());
    return tabs ? static_cast<int>(tabs->Tabs.size()) : 0;
}

std::string TabControl::GetItemText(int index) const {
    const auto* tabs = detail::FindState<detail::TabState>(Handle());
    if (!tabs || index < 0 || index >= static_cast<int>(tabs->Tabs.size()))
        return {};
    return tabs->Tabs[static_cast<std::size_t>(index)];
}

int TabControl::GetCurSel() const {
    const auto* tabs = detail::FindState<detail::TabState>(Handle());
    return tabs ? tabs->Selected : -1;
}

int TabControl::SetCurSel(int index) const {
    auto* tabs = detail::FindState<detail::TabState>(Handle());
    if (!tabs || index < 0 || index >= static_cast<int>(tabs->Tabs.size()))
        return -1;
    const int previous = tabs->Selected;
    tabs->Selected = index;
    detail::Changed();
    return previous;
}

} // namespace ui
