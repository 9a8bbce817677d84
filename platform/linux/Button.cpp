#include "platform/Button.h"

#include "platform/linux/WindowObject.h"

namespace ui {

int Button::GetCheck() const {
    const auto* button = detail::FindState<detail::ButtonState>(Handle());
    return button ? button->Check : BST_UNCHECKED;
}

void Button::SetCheck(int state) const {
    auto* button = detail::FindState<detail::ButtonState>(Handle());
    if (!button)
        return;
    button->Check = state == BST_CHECKED ? BST_CHECKED : BST_UNCHECKED;
    detail::Changed();
}

} // namespace ui
