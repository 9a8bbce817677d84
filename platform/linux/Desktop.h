// The Linux implementation's own services for hosts, front ends and tests: the host's
// main window, enumeration and inspection of windows, the user's actions (each delivering
// the notifications a real user's action produces), and the message box presenter.
#pragma once

#include <cstdint>
#include <functional>
#include <span>
#include <string>
#include <vector>

#include "platform/Window.h"

namespace ui::desktop {

// Window kinds of the layer.
enum class Kind {
    Frame,
    Dialog,
    PushButton,
    DefPushButton,
    RadioButton,
    GroupBox,
    Text,
    Picture,
    ComboBox,
    TreeView,
    TabControl
};

struct WindowInfo {
    desktop::Kind Kind = desktop::Kind::Frame; // qualified: the member hides the type
    int Id = 0;
    std::string Text;
    Rect ScreenRect;      // in pixels, screen coordinates
    bool Visible = false; // its own visible state
    bool Enabled = false;
    std::uint32_t Style = 0; // resource styles (WS_*, BS_*, SS_*, CBS_*, TVS_*)
    std::uint32_t ExStyle = 0;
    WindowHandle Parent = nullptr;
    WindowHandle Owner = nullptr;
    std::string ModuleTitle; // title of the module whose resource built it ("" for others)
};

// The host's main window: a top-level frame that is not built from a resource.
WindowHandle CreateFrameWindow(std::string_view title, Rect screenRect);
// Destroys the window, its owned windows and its children (each gets WM_DESTROY; the
// children still exist while their parent's handler runs).
void DestroyWindow(WindowHandle window);
bool IsWindow(WindowHandle window);
void SetActiveWindow(WindowHandle window);
// Visible: its own state and that of all its parents.
bool IsReallyVisible(WindowHandle window);

std::vector<WindowHandle> TopLevelWindows();             // in creation order
std::vector<WindowHandle> Children(WindowHandle window); // in resource order
WindowInfo Inspect(WindowHandle window);
// The control with this id in the window or, depth first, in its child dialogs.
WindowHandle FindControl(WindowHandle window, int id);

// Focus, for front ends.
WindowHandle GetFocus();
void SetFocus(WindowHandle window);

// Tree views.
struct TreeRow {
    TreeItem Item = nullptr;
    int Depth = 0;
    std::string Text;
    bool HasChildren = false;
    bool Expanded = false;
    bool Selected = false;
};
// The visible items in display order (through expanded items).
std::vector<TreeRow> VisibleTreeRows(WindowHandle tree);
int TreeScrollTop(WindowHandle tree); // index into the visible rows of the top row

// Combo boxes.
std::string ComboEditText(WindowHandle combo);

// Pictures: the bitmap shown, as 24-bit RGB rows from the top.
struct Pixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb; // Width * Height * 3
};
Pixels BitmapPixels(Bitmap bitmap);
Bitmap PictureBitmap(WindowHandle picture);

// The user's actions. Each returns false (doing nothing) when a user could not do it: the
// window is hidden, disabled or of the wrong kind, or the item does not exist.
bool ClickButton(WindowHandle button);                         // BN_CLICKED (radio: checked first)
bool ClickTreeItem(WindowHandle tree, TreeItem item);          // select, TVN_SELCHANGED
bool ClickTreeButton(WindowHandle tree, TreeItem item);        // toggle, expanding/expanded
bool ClickTab(WindowHandle tab, int index);                    // TCN_SELCHANGE when it changes
bool ChooseComboItem(WindowHandle combo, int index);           // CBN_SELCHANGE
bool TypeComboText(WindowHandle combo, std::string_view text); // edit field only
bool PressCancel(WindowHandle dialog);                         // IDCANCEL, as Escape does

// Message boxes: the presenter answers every box (IDOK or IDCANCEL). Without one, every box
// gets its default button, IDOK.
struct MessageBoxRequest {
    WindowHandle Owner = nullptr;
    std::string Caption; // resolved: the given caption, the application's title or "Error"
    std::string Text;
    unsigned Flags = 0; // MB_OK or MB_OKCANCEL, with MB_ICONSTOP
};
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

// Called after any change a front end would show (RedrawWindow, state changes).
void SetChangeListener(std::function<void()> listener);

} // namespace ui::desktop
