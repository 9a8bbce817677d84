#include "host/windows/MessageBoxWatcher.h"

#include <string>

#include "host/windows/SystemWindows.h"

namespace host {
namespace {

using win::ClassName;
using win::IsMessageBox;
using win::ShowsStopIcon;
using win::WindowText;

constexpr UINT kAnswerBox = WM_APP + 1;
constexpr char kWindowClass[] = "DevHostMessageBoxWatcher";

MessageBoxWatcher* activeWatcher = nullptr;

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
    const bool ok = answers_.Answer(WindowText(box),
                                    WindowText(GetDlgItem(box, win::kMessageBoxTextId)), flags);
    SendMessageA(GetDlgItem(box, ok ? IDOK : IDCANCEL), BM_CLICK, 0, 0);
}

} // namespace host
