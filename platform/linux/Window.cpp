#include "platform/Window.h"

#include <algorithm>

#include "platform/linux/Activation.h"
#include "platform/linux/WindowObject.h"

namespace ui {

using detail::Find;

bool Window::ShowWindow(int command) const {
    WindowObject* window = Find(handle_);
    if (!window)
        return false;
    const bool wasVisible = window->Visible;
    if (command == SW_HIDE) {
        window->Visible = false;
        detail::Deactivate(*window);
    } else {
        window->Visible = true;
        if (!window->Parent && command == SW_SHOWNORMAL)
            detail::Activate(window);
    }
    detail::Changed();
    return wasVisible;
}

bool Window::EnableWindow(bool enable) const {
    WindowObject* window = Find(handle_);
    if (!window)
        return false;
    const bool wasDisabled = !window->Enabled;
    window->Enabled = enable;
    if (!enable)
        for (WindowObject* node = detail::FocusWindow(); node; node = node->Parent)
            if (node == window) {
                detail::Focus(nullptr);
                break;
            }
    detail::Changed();
    return wasDisabled;
}

bool Window::IsWindowVisible() const {
    const WindowObject* window = Find(handle_);
    return window && detail::IsReallyVisible(*window);
}

bool Window::IsWindowEnabled() const {
    const WindowObject* window = Find(handle_);
    return window && window->Enabled;
}

bool Window::MoveWindow(int x, int y, int width, int height, bool) const {
    WindowObject* window = Find(handle_);
    if (!window)
        return false;
    detail::SetBounds(*window, {x, y, x + std::max(width, 0), y + std::max(height, 0)});
    detail::Changed();
    return true;
}

Rect Window::GetClientRect() const {
    const WindowObject* window = Find(handle_);
    if (!window)
        return {};
    const Rect client = detail::ClientScreenRect(*window);
    return {0, 0, client.Width(), client.Height()};
}

Rect Window::GetWindowRect() const {
    const WindowObject* window = Find(handle_);
    return window ? detail::ScreenRect(*window) : Rect{};
}

void Window::ScreenToClient(Rect& rect) const {
    const WindowObject* window = Find(handle_);
    if (!window)
        return;
    const Rect client = detail::ClientScreenRect(*window);
    rect = {rect.Left - client.Left, rect.Top - client.Top, rect.Right - client.Left,
            rect.Bottom - client.Top};
}

Window Window::GetDlgItem(int id) const {
    const WindowObject* window = Find(handle_);
    if (!window)
        return Window();
    for (const auto& child : window->Children)
        if (child->Id == id)
            return Window(child.get());
    return Window();
}

int Window::GetDlgCtrlID() const {
    const WindowObject* window = Find(handle_);
    return window ? window->Id : 0;
}

bool Window::SetWindowTextA(std::string_view text) const {
    WindowObject* window = Find(handle_);
    if (!window)
        return false;
    window->Text = std::string(text);
    detail::Changed();
    return true;
}

std::string Window::GetWindowTextA() const {
    const WindowObject* window = Find(handle_);
    return window ? window->Text : std::string();
}

bool Window::RedrawWindow(unsigned) const {
    if (!Find(handle_))
        return false;
    detail::Changed();
    return true;
}

Window Window::GetParent() const {
    const WindowObject* window = Find(handle_);
    if (!window)
        return Window();
    return Window(window->Parent ? window->Parent : window->Owner);
}

Window Window::SetFocus() const {
    WindowObject* window = Find(handle_);
    if (!window)
        return Window();
    WindowObject* previous = detail::FocusWindow();
    detail::Focus(window);
    return Window(previous);
}

int Window::IsDlgButtonChecked(int id) const {
    const auto* button = detail::FindState<detail::ButtonState>(GetDlgItem(id).Handle());
    return button ? button->Check : BST_UNCHECKED;
}

bool Window::CheckRadioButton(int firstId, int lastId, int checkId) const {
    WindowObject* window = Find(handle_);
    if (!window)
        return false;
    for (int id = firstId; id <= lastId; ++id)
        if (auto* button = detail::FindState<detail::ButtonState>(GetDlgItem(id).Handle()))
            button->Check = id == checkId ? BST_CHECKED : BST_UNCHECKED;
    detail::Changed();
    return true;
}

int Window::MessageBoxA(const char* text, const char* caption, unsigned flags) const {
    return ui::MessageBoxA(handle_, text, caption, flags);
}

Window GetActiveWindow() {
    return Window(detail::ActiveWindow());
}

} // namespace ui
