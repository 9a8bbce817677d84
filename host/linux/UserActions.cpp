// The user's actions over the Linux windowing layer's own windows.
#include "host/UserActions.h"

#include "platform/linux/Desktop.h"

namespace host {
namespace {

namespace desktop = ui::desktop;

ui::WindowHandle HandleOf(Window window) {
    return static_cast<ui::WindowHandle>(window);
}

// Depth first through the window and its visible child dialogs, in resource order.
ui::WindowHandle FindKind(ui::WindowHandle window, desktop::Kind kind) {
    for (const ui::WindowHandle child : desktop::Children(window)) {
        const desktop::WindowInfo info = desktop::Inspect(child);
        if (info.Kind == kind && desktop::IsReallyVisible(child))
            return child;
        if (info.Kind == desktop::Kind::Dialog)
            if (const ui::WindowHandle found = FindKind(child, kind))
                return found;
    }
    return nullptr;
}

class LayerUserActions final : public UserActions {
public:
    Window ActiveWindow() const override { return ui::GetActiveWindow().Handle(); }
    Window FindVisible(Window window, ControlClass controlClass) const override {
        return FindKind(HandleOf(window), controlClass == ControlClass::TreeView
                                              ? desktop::Kind::TreeView
                                              : desktop::Kind::TabControl);
    }
    Window FindControl(Window window, int id) const override {
        return desktop::FindControl(HandleOf(window), id);
    }
    bool IsComboBox(Window control) const override {
        return desktop::Inspect(HandleOf(control)).Kind == desktop::Kind::ComboBox;
    }
    bool IsVisible(Window control) const override {
        return desktop::IsReallyVisible(HandleOf(control));
    }
    bool IsEnabled(Window control) const override {
        return desktop::Inspect(HandleOf(control)).Enabled;
    }
    std::vector<TreeRow> VisibleTreeRows(Window tree) const override {
        std::vector<TreeRow> rows;
        for (const desktop::TreeRow& row : desktop::VisibleTreeRows(HandleOf(tree)))
            rows.push_back({row.Item, row.Text, row.HasChildren, row.Expanded});
        return rows;
    }
    void ClickTreeItem(Window tree, TreeItem item) override {
        desktop::ClickTreeItem(HandleOf(tree), static_cast<ui::TreeItem>(item));
    }
    void ClickTreeButton(Window tree, TreeItem item) override {
        desktop::ClickTreeButton(HandleOf(tree), static_cast<ui::TreeItem>(item));
    }
    bool ClickButton(Window control) override { return desktop::ClickButton(HandleOf(control)); }
    bool ClickTab(Window tabs, int index) override {
        return desktop::ClickTab(HandleOf(tabs), index);
    }
    bool ChooseComboItem(Window combo, int index) override {
        return desktop::ChooseComboItem(HandleOf(combo), index);
    }
    bool TypeComboText(Window combo, std::string_view text) override {
        return desktop::TypeComboText(HandleOf(combo), text);
    }
    // The layer delivers every message as it is sent.
    void Settle() override {}
};

} // namespace

UserActions& PlatformUserActions() {
    static LayerUserActions actions;
    return actions;
}

} // namespace host
