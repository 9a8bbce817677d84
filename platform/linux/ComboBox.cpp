#include "platform/ComboBox.h"

#include "platform/linux/WindowObject.h"

namespace ui {

int ComboBox::AddString(std::string_view text) const {
    auto* combo = detail::FindState<detail::ComboState>(Handle());
    if (!combo)
        return -1;
    combo->Items.emplace_back(text);
    detail::Changed();
    return static_cast<int>(combo->Items.size()) - 1;
}

int ComboBox::GetCount() const {
    const auto* combo = detail::FindState<detail::ComboState>(Handle());
    return combo ? static_cast<int>(combo->Items.size()) : 0;
}

std::string ComboBox::GetLBText(int index) const {
    const auto* combo = detail::FindState<detail::ComboState>(Handle());
    if (!combo || index < 0 || index >= static_cast<int>(combo->Items.size()))
        return {};
    return combo->Items[static_cast<std::size_t>(index)];
}

int ComboBox::GetCurSel() const {
    const auto* combo = detail::FindState<detail::ComboState>(Handle());
    return combo ? combo->Selected : -1;
}

int ComboBox::SetCurSel(int index) const {
    WindowObject* window = detail::Find(Handle());
    auto* combo = window ? window->StateAs<detail::ComboState>() : nullptr;
    if (!combo)
        return -1;
    // An index outside the list clears the selection and the edit field.
    const bool valid = index >= 0 && index < static_cast<int>(combo->Items.size());
    combo->Selected = valid ? index : -1;
    window->Text = valid ? combo->Items[static_cast<std::size_t>(index)] : std::string();
    detail::Changed();
    return combo->Selected;
}

} // namespace ui
