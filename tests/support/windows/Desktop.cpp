// The tests' desktop over the real Windows controls (tests/support/Desktop.h). A user's
// action is what a user's mouse or keyboard would send the control (a button press and
// release at a point, a key), so that the system's control does the rest; only whether a
// user could reach the control at all (shown, enabled, inside shown and enabled windows)
// is decided here, as the system decides it for real input.
#include "tests/support/Desktop.h"

#include <windows.h>

#include <commctrl.h>

#include "host/windows/SystemWindows.h"
#include "platform/windows/Module.h"

namespace testing_support::desktop {
namespace {

using host::win::ClassName;
using host::win::IsMessageBox;
using host::win::kDialogClass;
using host::win::kMessageBoxTextId;
using host::win::ShowsStopIcon;
using host::win::WindowText;

HWND ToHwnd(ui::WindowHandle handle) {
    return reinterpret_cast<HWND>(handle);
}
ui::WindowHandle FromHwnd(HWND hwnd) {
    return reinterpret_cast<ui::WindowHandle>(hwnd);
}
HTREEITEM ToItem(ui::TreeItem item) {
    return reinterpret_cast<HTREEITEM>(item);
}

constexpr char kFrameClass[] = "PciTestFrame";
constexpr char kWatcherClass[] = "PciTestMessageBoxWatcher";

bool IsChildWindow(HWND hwnd) {
    return (GetWindowLongA(hwnd, GWL_STYLE) & WS_CHILD) != 0;
}

// Where real input could reach: the window and every window it is inside of shown and
// enabled.
bool AcceptsInput(HWND hwnd) {
    if (!::IsWindow(hwnd) || !::IsWindowVisible(hwnd))
        return false;
    for (HWND window = hwnd; window; window = IsChildWindow(window) ? GetParent(window) : nullptr)
        if (!IsWindowEnabled(window))
            return false;
    return true;
}

void Pump() {
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
    }
}

// A press and release of the left button at a point of the window's client area. The
// release is queued before the press is sent: a control that follows the mouse after a
// press (the tree view watches for a drag) takes it from the queue, as it would take the
// user's.
void Click(HWND hwnd, POINT point) {
    const LPARAM at = MAKELPARAM(point.x, point.y);
    PostMessageA(hwnd, WM_LBUTTONUP, 0, at);
    SendMessageA(hwnd, WM_LBUTTONDOWN, MK_LBUTTON, at);
    Pump();
}

POINT Centre(const RECT& rect) {
    return POINT{(rect.left + rect.right) / 2, (rect.top + rect.bottom) / 2};
}

// Shown in the window: the rectangle lies in the client area, at least in part.
bool InClientArea(HWND hwnd, const RECT& rect) {
    RECT client{};
    GetClientRect(hwnd, &client);
    RECT common{};
    return IntersectRect(&common, &client, &rect) != FALSE;
}

bool IsTree(HWND hwnd) {
    return ClassName(hwnd) == WC_TREEVIEWA;
}

// --- Message boxes --------------------------------------------------------------------------

constexpr UINT kAnswerBox = WM_APP + 1;

MessageBoxPresenter presenter;
HWND watcher = nullptr;

void Answer(HWND box) {
    if (!::IsWindow(box) || !IsMessageBox(box))
        return;
    const HWND cancel = GetDlgItem(box, IDCANCEL);
    const bool hasCancel = cancel && ClassName(cancel) == "Button";
    MessageBoxRequest request;
    request.Owner = FromHwnd(GetWindow(box, GW_OWNER));
    request.Caption = WindowText(box);
    request.Text = WindowText(GetDlgItem(box, kMessageBoxTextId));
    request.Flags = hasCancel ? MB_OKCANCEL : MB_OK;
    if (ShowsStopIcon(box))
        request.Flags |= MB_ICONSTOP;
    // A box without a Cancel button can only be answered OK.
    const int answer = presenter ? presenter(request) : IDOK;
    SendMessageA(GetDlgItem(box, answer == IDCANCEL && hasCancel ? IDCANCEL : IDOK), BM_CLICK, 0,
                 0);
}

// A box is noticed when it is made and answered from its own modal loop, once the posted
// message comes round, so that it is complete and shown. (Not when it is activated: a box
// that comes up while no window of the program is active is not activated.)
LRESULT CALLBACK WatchBoxes(int code, WPARAM wParam, LPARAM lParam) {
    if (code == HCBT_CREATEWND && watcher &&
        ClassName(reinterpret_cast<HWND>(wParam)) == kDialogClass)
        PostMessageA(watcher, kAnswerBox, wParam, 0);
    return CallNextHookEx(nullptr, code, wParam, lParam);
}

LRESULT CALLBACK WatcherProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == kAnswerBox) {
        Answer(reinterpret_cast<HWND>(wParam));
        return 0;
    }
    return DefWindowProcA(hwnd, message, wParam, lParam);
}

void WatchMessageBoxes() {
    if (watcher)
        return;
    WNDCLASSA windowClass{};
    windowClass.lpfnWndProc = WatcherProcedure;
    windowClass.hInstance = GetModuleHandleA(nullptr);
    windowClass.lpszClassName = kWatcherClass;
    RegisterClassA(&windowClass);
    watcher = CreateWindowA(kWatcherClass, "", 0, 0, 0, 0, 0, HWND_MESSAGE, nullptr,
                            windowClass.hInstance, nullptr);
    SetWindowsHookExA(WH_CBT, WatchBoxes, nullptr, GetCurrentThreadId());
}

BOOL CALLBACK CollectTopLevel(HWND hwnd, LPARAM windows) {
    const std::string name = ClassName(hwnd);
    if (name == kFrameClass || name == kDialogClass)
        reinterpret_cast<std::vector<ui::WindowHandle>*>(windows)->push_back(FromHwnd(hwnd));
    return TRUE;
}

} // namespace

ui::WindowHandle CreateFrameWindow(std::string_view title, ui::Rect screenRect) {
    static const bool registered = [] {
        WNDCLASSA windowClass{};
        windowClass.lpfnWndProc = DefWindowProcA;
        windowClass.hInstance = GetModuleHandleA(nullptr);
        windowClass.hCursor = LoadCursorA(nullptr, MAKEINTRESOURCEA(32512)); // IDC_ARROW
        windowClass.hbrBackground = reinterpret_cast<HBRUSH>(COLOR_WINDOW + 1);
        windowClass.lpszClassName = kFrameClass;
        return RegisterClassA(&windowClass) != 0;
    }();
    (void)registered;
    // Every box of the tests is answered, so none waits for a user.
    WatchMessageBoxes();
    const std::string text(title);
    HWND frame =
        CreateWindowExA(0, kFrameClass, text.c_str(), WS_OVERLAPPEDWINDOW | WS_VISIBLE,
                        screenRect.Left, screenRect.Top, screenRect.Width(), screenRect.Height(),
                        nullptr, nullptr, GetModuleHandleA(nullptr), nullptr);
    ::SetActiveWindow(frame);
    Pump();
    return FromHwnd(frame);
}

void DestroyWindow(ui::WindowHandle window) {
    ::DestroyWindow(ToHwnd(window));
}

bool IsWindow(ui::WindowHandle window) {
    return window && ::IsWindow(ToHwnd(window));
}

void SetActiveWindow(ui::WindowHandle window) {
    ::SetActiveWindow(ToHwnd(window));
    Pump();
}

std::vector<ui::WindowHandle> TopLevelWindows() {
    std::vector<ui::WindowHandle> windows;
    EnumThreadWindows(GetCurrentThreadId(), CollectTopLevel, reinterpret_cast<LPARAM>(&windows));
    return windows;
}

WindowInfo Inspect(ui::WindowHandle window) {
    WindowInfo info;
    HWND hwnd = ToHwnd(window);
    if (!IsWindow(window))
        return info;
    info.Text = WindowText(hwnd);
    info.Visible = (GetWindowLongA(hwnd, GWL_STYLE) & WS_VISIBLE) != 0;
    info.Enabled = IsWindowEnabled(hwnd) != FALSE;
    if (IsChildWindow(hwnd))
        info.Parent = FromHwnd(GetParent(hwnd));
    info.Owner = FromHwnd(GetWindow(hwnd, GW_OWNER));
    if (ClassName(hwnd) == kDialogClass && !IsMessageBox(hwnd))
        info.ModuleTitle = ui::win::ModuleTitle(
            reinterpret_cast<HMODULE>(GetWindowLongPtrA(hwnd, GWLP_HINSTANCE)));
    return info;
}

ui::WindowHandle GetFocus() {
    return FromHwnd(::GetFocus());
}

void SetFocus(ui::WindowHandle window) {
    ::SetFocus(ToHwnd(window));
    Pump();
}

std::vector<TreeRow> VisibleTreeRows(ui::WindowHandle tree) {
    std::vector<TreeRow> rows;
    HWND hwnd = ToHwnd(tree);
    if (!IsWindow(tree) || !IsTree(hwnd))
        return rows;
    const HTREEITEM selected = TreeView_GetSelection(hwnd);
    for (HTREEITEM item = TreeView_GetRoot(hwnd); item;
         item = TreeView_GetNextVisible(hwnd, item)) {
        TreeRow row;
        row.Item = reinterpret_cast<ui::TreeItem>(item);
        for (HTREEITEM parent = TreeView_GetParent(hwnd, item); parent;
             parent = TreeView_GetParent(hwnd, parent))
            ++row.Depth;
        char text[1024] = {};
        TVITEMA query{};
        query.mask = TVIF_TEXT | TVIF_STATE;
        query.hItem = item;
        query.stateMask = TVIS_EXPANDED;
        query.pszText = text;
        query.cchTextMax = sizeof text;
        TreeView_GetItem(hwnd, &query);
        row.Text = text;
        row.HasChildren = TreeView_GetChild(hwnd, item) != nullptr;
        row.Expanded = (query.state & TVIS_EXPANDED) != 0;
        row.Selected = item == selected;
        rows.push_back(row);
    }
    return rows;
}

int TreeScrollTop(ui::WindowHandle tree) {
    HWND hwnd = ToHwnd(tree);
    const HTREEITEM top = TreeView_GetFirstVisible(hwnd);
    int index = 0;
    for (HTREEITEM item = TreeView_GetRoot(hwnd); item && item != top;
         item = TreeView_GetNextVisible(hwnd, item))
        ++index;
    return index;
}

std::string ComboEditText(ui::WindowHandle combo) {
    return WindowText(ToHwnd(combo));
}

Pixels BitmapPixels(ui::Bitmap bitmap) {
    Pixels pixels;
    const auto handle = reinterpret_cast<HBITMAP>(bitmap);
    BITMAP info{};
    if (!handle || !GetObjectA(handle, sizeof info, &info))
        return pixels;
    BITMAPINFO format{};
    format.bmiHeader.biSize = sizeof format.bmiHeader;
    format.bmiHeader.biWidth = info.bmWidth;
    format.bmiHeader.biHeight = -info.bmHeight; // rows from the top
    format.bmiHeader.biPlanes = 1;
    format.bmiHeader.biBitCount = 24;
    format.bmiHeader.biCompression = BI_RGB;
    const int stride = (info.bmWidth * 3 + 3) & ~3;
    std::vector<std::uint8_t> rows(static_cast<std::size_t>(stride) * info.bmHeight);
    HDC screen = GetDC(nullptr);
    const int copied =
        GetDIBits(screen, handle, 0, info.bmHeight, rows.data(), &format, DIB_RGB_COLORS);
    ReleaseDC(nullptr, screen);
    if (copied != info.bmHeight)
        return pixels;
    pixels.Width = info.bmWidth;
    pixels.Height = info.bmHeight;
    for (int y = 0; y < info.bmHeight; ++y)
        for (int x = 0; x < info.bmWidth; ++x) {
            const std::uint8_t* bgr = &rows[static_cast<std::size_t>(y * stride + x * 3)];
            pixels.Rgb.insert(pixels.Rgb.end(), {bgr[2], bgr[1], bgr[0]});
        }
    return pixels;
}

ui::Bitmap PictureBitmap(ui::WindowHandle picture) {
    return reinterpret_cast<ui::Bitmap>(
        SendMessageA(ToHwnd(picture), STM_GETIMAGE, IMAGE_BITMAP, 0));
}

bool ClickButton(ui::WindowHandle button) {
    HWND hwnd = ToHwnd(button);
    if (!AcceptsInput(hwnd) || ClassName(hwnd) != "Button")
        return false;
    const LONG type = GetWindowLongA(hwnd, GWL_STYLE) & BS_TYPEMASK;
    if (type != BS_PUSHBUTTON && type != BS_DEFPUSHBUTTON && type != BS_AUTORADIOBUTTON &&
        type != BS_RADIOBUTTON)
        return false;
    RECT client{};
    GetClientRect(hwnd, &client);
    Click(hwnd, Centre(client));
    return true;
}

// The label of an item a user can click: the tree takes input and shows the item.
static bool ShownItemLabel(HWND hwnd, ui::TreeItem item, RECT& label) {
    return AcceptsInput(hwnd) && IsTree(hwnd) && item &&
           TreeView_GetItemRect(hwnd, ToItem(item), &label, TRUE) && InClientArea(hwnd, label);
}

bool ClickTreeItem(ui::WindowHandle tree, ui::TreeItem item) {
    HWND hwnd = ToHwnd(tree);
    RECT label{};
    if (!ShownItemLabel(hwnd, item, label))
        return false;
    Click(hwnd, Centre(label));
    return true;
}

bool ClickTreeButton(ui::WindowHandle tree, ui::TreeItem item) {
    HWND hwnd = ToHwnd(tree);
    RECT label{};
    if (!ShownItemLabel(hwnd, item, label))
        return false;
    // An item without children has no button to click (the hit test names the place all
    // the same).
    if (!TreeView_GetChild(hwnd, ToItem(item)))
        return false;
    // The button, where the tree's own hit test finds it left of the label.
    const int y = (label.top + label.bottom) / 2;
    for (int x = 0; x < label.left; ++x) {
        TVHITTESTINFO hit{};
        hit.pt = POINT{x, y};
        if (TreeView_HitTest(hwnd, &hit) == ToItem(item) && (hit.flags & TVHT_ONITEMBUTTON)) {
            Click(hwnd, hit.pt);
            return true;
        }
    }
    return false;
}

bool ClickTab(ui::WindowHandle tab, int index) {
    HWND hwnd = ToHwnd(tab);
    RECT rect{};
    if (!AcceptsInput(hwnd) || ClassName(hwnd) != WC_TABCONTROLA ||
        !TabCtrl_GetItemRect(hwnd, index, &rect))
        return false;
    Click(hwnd, Centre(rect));
    return true;
}

// The user opens the list with the combo box's button and clicks the item, scrolled into
// view.
bool ChooseComboItem(ui::WindowHandle combo, int index) {
    HWND hwnd = ToHwnd(combo);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (!AcceptsInput(hwnd) || !GetComboBoxInfo(hwnd, &parts) || index < 0 ||
        index >= static_cast<int>(SendMessageA(hwnd, CB_GETCOUNT, 0, 0)))
        return false;
    Click(hwnd, Centre(parts.rcButton));
    HWND list = parts.hwndList;
    if (!::IsWindowVisible(list))
        return false;
    RECT item{};
    SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index), reinterpret_cast<LPARAM>(&item));
    if (!InClientArea(list, item)) {
        SendMessageA(list, LB_SETTOPINDEX, static_cast<WPARAM>(index), 0);
        SendMessageA(list, LB_GETITEMRECT, static_cast<WPARAM>(index),
                     reinterpret_cast<LPARAM>(&item));
    }
    Click(list, Centre(item));
    return true;
}

// The user replaces the text of the edit field, one character at a time.
bool TypeComboText(ui::WindowHandle combo, std::string_view text) {
    HWND hwnd = ToHwnd(combo);
    COMBOBOXINFO parts{};
    parts.cbSize = sizeof parts;
    if (!AcceptsInput(hwnd) || !GetComboBoxInfo(hwnd, &parts) || !parts.hwndItem ||
        ClassName(parts.hwndItem) != "Edit")
        return false;
    ::SetFocus(parts.hwndItem);
    SendMessageA(parts.hwndItem, EM_SETSEL, 0, -1);
    for (const char c : text)
        SendMessageA(parts.hwndItem, WM_CHAR, static_cast<unsigned char>(c), 1);
    Pump();
    return true;
}

// Escape, as the dialog manager routes it from the focused control.
bool PressCancel(ui::WindowHandle dialog) {
    HWND hwnd = ToHwnd(dialog);
    if (!AcceptsInput(hwnd) || ClassName(hwnd) != kDialogClass)
        return false;
    HWND focus = ::GetFocus();
    if (!focus || (focus != hwnd && !IsChild(hwnd, focus)))
        focus = hwnd;
    MSG escape{focus, WM_KEYDOWN, VK_ESCAPE, 0, 0, {0, 0}};
    IsDialogMessageA(hwnd, &escape);
    Pump();
    return true;
}

bool PressKey(unsigned virtualKey) {
    HWND focus = ::GetFocus();
    if (!focus)
        return false;
    HWND dialog = GetAncestor(focus, GA_ROOT);
    for (const UINT message : {WM_KEYDOWN, WM_KEYUP}) {
        const LPARAM repeatAndState = message == WM_KEYDOWN ? 1 : static_cast<LPARAM>(0xC0000001u);
        MSG key{focus, message, virtualKey, repeatAndState, GetTickCount(), {0, 0}};
        if (!dialog || !IsDialogMessageA(dialog, &key)) {
            TranslateMessage(&key);
            DispatchMessageA(&key);
        }
        Pump();
    }
    return true;
}

void SetMessageBoxPresenter(MessageBoxPresenter newPresenter) {
    WatchMessageBoxes();
    presenter = std::move(newPresenter);
}

} // namespace testing_support::desktop
