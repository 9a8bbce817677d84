#include "host/windows/MessageBoxWatcher.h"

#include <string>

namespace host {
namespace {

constexpr UINT kAnswerBox = WM_APP + 1;
constexpr char kWindowClass[] = "DevHostMessageBoxWatcher";
// The id of a message box's text control.
constexpr int kTextId = 0xFFFF;

MessageBoxWatcher* activeWatcher = nullptr;

std::string ClassName(HWND hwnd) {
    char name[64] = {};
    GetClassNameA(hwnd, name, sizeof name);
    return name;
}

std::string WindowText(HWND hwnd) {
    const int length = GetWindowTextLengthA(hwnd);
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    text.resize(static_cast<std::size_t>(GetWindowTextA(hwnd, text.data(), length + 1)));
    return text;
}

// A message box is a dialog that the system builds without a module of the caller's (the
// dialogs of the library come from the library's module), with its text control.
bool IsMessageBox(HWND hwnd) {
    if (ClassName(hwnd) != "#32770" || !GetDlgItem(hwnd, kTextId))
        return false;
    const auto module = reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE));
    return module == nullptr || module == GetModuleHandleA("user32.dll");
}

// The icon shown: the stop sign or none (the library shows no other icon).
bool ShowsStopIcon(HWND box) {
    const HICON stop = LoadIconA(nullptr, MAKEINTRESOURCEA(32513)); // IDI_HAND
    for (HWND child = GetWindow(box, GW_CHILD); child; child = GetWindow(child, GW_HWNDNEXT)) {
        if (ClassName(child) != "Static" ||
            (GetWindowLongA(child, GWL_STYLE) & SS_TYPEMASK) != SS_ICON)
            continue;
        const auto icon = reinterpret_cast<HICON>(SendMessageA(child, STM_GETICON, 0, 0));
        if (icon && icon == stop && IsWindowVisible(child))
            return true;
    }
    return false;
}

} // namespace

MessageBoxWatcher::MessageBoxWatcher(MessageBoxAnswers& answers) : answers_(answers) {
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WindowProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWindowClass;
    RegisterClassA(&windowClass);
    window_ = CreateWindowA(kWindowClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
    activeWatcher = this;
    hook_ = SetWindowsHookExA(WH_CBT, HookProcedure, nullptr, GetCurrentThreadId());
}

MessageBoxWatcher::~MessageBoxWatcher() {
    if (hook_)
        UnhookWindowsHookEx(hook_);
    if (window_)
        DestroyWindow(window_);
    activeWatcher = nullptr;
}

// The box is noticed when it is activated; it is answered from its own modal loop, once
// the posted message comes round, so that it is complete and shown.
LRESULT CALLBACK MessageBoxWatcher::HookProcedure(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_ACTIVATE && activeWatcher) {
        const auto hwnd = reinterpret_cast<HWND>(wParam);
        if (IsMessageBox(hwnd))
            PostMessageA(activeWatcher->window_, kAnswerBox, wParam, 0);
    }
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK MessageBoxWatcher::WindowProcedure(HWND hwnd, UINT message, WPARAM wParam,
                                                    LPARAM lParam) {
    if (message == kAnswerBox && activeWatcher) {
        activeWatcher->Answer(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void MessageBoxWatcher::Answer(HWND box) {
    // A box is activated again when the focus comes back to it; answer each box once.
    if (!IsWindow(box) || GetPropA(box, kWindowClass))
        return;
    SetPropA(box, kWindowClass, reinterpret_cast<HANDLE>(1));

    const HWND cancel = GetDlgItem(box, IDCANCEL);
    const bool hasCancel = cancel && ClassName(cancel) == "Button";
    unsigned flags = hasCancel ? MB_OKCANCEL : MB_OK;
    if (ShowsStopIcon(box))
        flags |= MB_ICONSTOP;
    const bool ok = answers_.Answer(WindowText(box), WindowText(GetDlgItem(box, kTextId)), flags);
    SendMessageA(GetDlgItem(box, ok ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
}

} // namespace host
