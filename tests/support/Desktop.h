// The desktop that the windowing layer's tests drive, one set of calls over both layers so
// that the same tests judge both: on Linux the layer's own services (platform/linux/
// Desktop.h); on Windows the same calls over the real system (windows/Desktop.cpp), where
// each user's action is sent to the control itself (a click, a key), so that the system's
// control decides what follows and which notifications it sends.
#pragma once

#ifdef _WIN32

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "platform/Window.h"

namespace testing_support::desktop {

struct WindowInfo {
    std::string Text;
    bool Visible = false;    // its own visible state
    bool Enabled = false;
    ui::WindowHandle Parent = nullptr;
    ui::WindowHandle Owner = nullptr;
    std::string ModuleTitle; // a dialog's: the title of the module its resource came from
};

// The host's main window: a shown, active top-level frame that is not built from a
// resource.
ui::WindowHandle CreateFrameWindow(std::string_view title, ui::Rect screenRect);
void DestroyWindow(ui::WindowHandle window);
bool IsWindow(ui::WindowHandle window);
// nullptr: no window of this thread is active.
void SetActiveWindow(ui::WindowHandle window);
// This thread's frames and dialogs, in no particular order.
std::vector<ui::WindowHandle> TopLevelWindows();
WindowInfo Inspect(ui::WindowHandle window);

ui::WindowHandle GetFocus();
void SetFocus(ui::WindowHandle window);

struct TreeRow {
    ui::TreeItem Item = nullptr;
    int Depth = 0;
    std::string Text;
    bool HasChildren = false;
    bool Expanded = false;
    bool Selected = false;
};
// The visible items in display order (through expanded items).
std::vector<TreeRow> VisibleTreeRows(ui::WindowHandle tree);
int TreeScrollTop(ui::WindowHandle tree); // index into the visible rows of the top row

std::string ComboEditText(ui::WindowHandle combo);

// Pictures: the bitmap shown, as 24-bit RGB rows from the top.
struct Pixels {
    int Width = 0;
    int Height = 0;
    std::vector<std::uint8_t> Rgb; // Width * Height * 3
};
Pixels BitmapPixels(ui::Bitmap bitmap);
ui::Bitmap PictureBitmap(ui::WindowHandle picture);

// The user's actions. Each returns false (doing nothing) when a user could not do it: the
// window is hidden or disabled (itself or a window it is inside of), of the wrong kind, or
// the item is not shown.
bool ClickButton(ui::WindowHandle button);
bool ClickTreeItem(ui::WindowHandle tree, ui::TreeItem item);
bool ClickTreeButton(ui::WindowHandle tree, ui::TreeItem item);
bool ClickTab(ui::WindowHandle tab, int index);
bool ChooseComboItem(ui::WindowHandle combo, int index);
bool TypeComboText(ui::WindowHandle combo, std::string_view text);
bool PressCancel(ui::WindowHandle dialog); // Escape
// Windows only: a key (VK_) pressed and released on the focused window, as a host's
// message loop delivers it: through the dialog manager of the dialog around it
// (IsDialogMessage). The Linux layer takes no keys: the terminal front end maps them to the
// user's actions (host/terminal).
bool PressKey(unsigned virtualKey);

// Message boxes: the presenter answers every box of this thread (IDOK or IDCANCEL), from
// inside the box's own modal loop. Without one, every box gets IDOK.
struct MessageBoxRequest {
    ui::WindowHandle Owner = nullptr;
    std::string Caption;
    std::string Text;
    unsigned Flags = 0; // MB_OK or MB_OKCANCEL, with MB_ICONSTOP: what the box shows
};
using MessageBoxPresenter = std::function<int(const MessageBoxRequest&)>;
void SetMessageBoxPresenter(MessageBoxPresenter presenter);

} // namespace testing_support::desktop

#else

#include "platform/linux/Desktop.h"

namespace testing_support {
namespace desktop = ui::desktop;
} // namespace testing_support

#endif
