// The user's actions on the library's windows, as the script names them, over one
// platform's windows: the Linux windowing layer or the real Windows controls. The script
// runner aims and performs every action through this interface.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace host {

using Window = void*;   // a window or control of the library
using TreeItem = void*; // a node of a tree view

struct TreeRow {
    TreeItem Item = nullptr;
    std::string Text;
    bool HasChildren = false;
    bool Expanded = false;
};

enum class ControlClass { TreeView, TabControl };

class UserActions {
public:
    virtual ~UserActions() = default;

    // The active window of this thread.
    virtual Window ActiveWindow() const = 0;
    // The first visible control of this class in the window or, depth first, in its
    // visible child dialogs.
    virtual Window FindVisible(Window window, ControlClass controlClass) const = 0;
    // The control with this id in the window or, depth first, in its child dialogs.
    virtual Window FindControl(Window window, int id) const = 0;
    virtual bool IsComboBox(Window control) const = 0;
    // Shown: the control and every window it lies in are visible.
    virtual bool IsVisible(Window control) const = 0;
    virtual bool IsEnabled(Window control) const = 0;
    // The nodes in display order, through expanded nodes only.
    virtual std::vector<TreeRow> VisibleTreeRows(Window tree) const = 0;

    // Each does what the same action of a user does. Those that answer give false when the
    // control cannot take the action (not a button, no such tab or item).
    virtual void ClickTreeItem(Window tree, TreeItem item) = 0;
    virtual void ClickTreeButton(Window tree, TreeItem item) = 0;
    virtual bool ClickButton(Window control) = 0;
    virtual bool ClickTab(Window tabs, int index) = 0;
    virtual bool ChooseComboItem(Window combo, int index) = 0;
    virtual bool TypeComboText(Window combo, std::string_view text) = 0;

    // Lets the windows finish answering what was done (dispatches waiting messages).
    virtual void Settle() = 0;
};

// This platform's user actions.
UserActions& PlatformUserActions();

} // namespace host
