#include <windows.h>

#include <commctrl.h>

#include "platform/Application.h"
#include "platform/Window.h"
#include "platform/windows/Module.h"

namespace ui {

using win::FromHwnd;
using win::ToHwnd;

namespace win {

void InitCommonControlsOnce() {
    static const bool initialised = [] {
        INITCOMMONCONTROLSEX controls{};
        controls.dwSize = sizeof controls;
        controls.dwICC = ICC_TREEVIEW_CLASSES | ICC_TAB_CLASSES | ICC_STANDARD_CLASSES;
        return InitCommonControlsEx(&controls) != FALSE;
    }();
    (void)initialised;
}

} // namespace win

bool Window::ShowWindow(int command) const {
    return ::ShowWindow(ToHwnd(handle_), command);
}

bool Window::EnableWindow(bool enable) const {
    return ::EnableWindow(ToHwnd(handle_), enable ? TRUE : FALSE);
}

bool Window::IsWindowVisible() const {
    return ::IsWindowVisible(ToHwnd(handle_));
}

bool Window::IsWindowEnabled() const {
    return ::IsWindowEnabled(ToHwnd(handle_));
}

bool Window::MoveWindow(int x, int y, int width, int height, bool repaint) const {
    return ::MoveWindow(ToHwnd(handle_), x, y, width, height, repaint ? TRUE : FALSE);
}

Rect Window::GetClientRect() const {
    RECT rect{};
    ::GetClientRect(ToHwnd(handle_), &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

Rect Window::GetWindowRect() const {
    RECT rect{};
    ::GetWindowRect(ToHwnd(handle_), &rect);
    return {rect.left, rect.top, rect.right, rect.bottom};
}

void Window::ScreenToClient(Rect& rect) const {
    POINT corners[2] = {{rect.Left, rect.Top}, {rect.Right, rect.Bottom}};
    ::ScreenToClient(ToHwnd(handle_), &corners[0]);
    ::ScreenToClient(ToHwnd(handle_), &corners[1]);
    rect = {corners[0].x, corners[0].y, corners[1].x, corners[1].y};
}

Window Window::GetDlgItem(int id) const {
    return Window(FromHwnd(::GetDlgItem(ToHwnd(handle_), id)));
}

int Window::GetDlgCtrlID() const {
    return ::GetDlgCtrlID(ToHwnd(handle_));
}

bool Window::SetWindowTextA(std::string_view text) const {
    const std::string terminated(text);
    return ::SetWindowTextA(ToHwnd(handle_), terminated.c_str());
}

std::string Window::GetWindowTextA() const {
    const int length = ::GetWindowTextLengthA(ToHwnd(handle_));
    if (length <= 0)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const int copied = ::GetWindowTextA(ToHwnd(handle_), text.data(), length + 1);
    text.resize(static_cast<std::size_t>(copied > 0 ? copied : 0));
    return text;
}

bool Window::RedrawWindow(unsigned flags) const {
    return ::RedrawWindow(ToHwnd(handle_), nullptr, nullptr, flags);
}

Window Window::GetParent() const {
    return Window(FromHwnd(::GetParent(ToHwnd(handle_))));
}

Window Window::SetFocus() const {
    return Window(FromHwnd(::SetFocus(ToHwnd(handle_))));
}

int Window::IsDlgButtonChecked(int id) const {
    return static_cast<int>(::IsDlgButtonChecked(ToHwnd(handle_), id));
}

bool Window::CheckRadioButton(int firstId, int lastId, int checkId) const {
    return ::CheckRadioButton(ToHwnd(handle_), firstId, lastId, checkId);
}

int Window::MessageBoxA(const char* text, const char* caption, unsigned flags) const {
    return ui::MessageBoxA(handle_, text, caption, flags);
}

int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned flags) {
    // Without a caption a box with an owner carries the application's title; with neither
    // caption nor owner (or no application) the system's default caption ("Error") shows.
    const Application* application = Application::Current();
    if (!caption && owner && application)
        caption = application->Title().c_str();
    return ::MessageBoxA(ToHwnd(owner), text, caption, flags);
}

Window GetActiveWindow() {
    return Window(FromHwnd(::GetActiveWindow()));
}

} // namespace ui
