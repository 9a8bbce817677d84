#include "host/linux/ScriptRunner.h"

#include <ostream>

#include "platform/linux/Desktop.h"

namespace host {
namespace {

namespace desktop = ui::desktop;

// Depth first through the window and its visible child dialogs, in resource order.
ui::WindowHandle FindKind(ui::WindowHandle window, desktop::Kind kind) {
    for (const ui::WindowHandle child : desktop::Children(window)) {
        const desktop::WindowInfo info = desktop::Inspect(child);
        if (info.kind == kind && desktop::IsReallyVisible(child))
            return child;
        if (info.kind == desktop::Kind::Dialog)
            if (const ui::WindowHandle found = FindKind(child, kind))
                return found;
    }
    return nullptr;
}

std::optional<desktop::TreeRow> FindVisibleNode(ui::WindowHandle tree, const std::string& text) {
    for (const desktop::TreeRow& row : desktop::VisibleTreeRows(tree))
        if (row.text == text)
            return row;
    return std::nullopt;
}

} // namespace

ScriptRunner::ScriptRunner(LibraryHost& library, std::ostream& transcript)
    : library_(library), transcript_(transcript) {
    desktop::SetMessageBoxPresenter([this](const desktop::MessageBoxRequest& request) {
        return AnswerMessageBox(request.flags, request.caption, request.text);
    });
}

ScriptRunner::~ScriptRunner() { desktop::SetMessageBoxPresenter(nullptr); }

int ScriptRunner::AnswerMessageBox(unsigned flags, const std::string& caption,
                                   const std::string& text) {
    const bool hasCancel = (flags & 0x0F) == MB_OKCANCEL;
    bool ok = true;
    if (!answers_.empty()) {
        ok = answers_.front() || !hasCancel; // a box without Cancel can only be answered OK
        answers_.pop_front();
    }
    transcript_ << MessageBoxLine(caption, text, flags, ok) << '\n' << std::flush;
    return ok ? IDOK : IDCANCEL;
}

std::optional<std::string> ScriptRunner::Perform(const Action& action) {
    if (action.kind == ActionKind::Answer) {
        answers_.push_back(action.ok);
        return std::nullopt;
    }
    if (action.kind == ActionKind::Open) {
        library_.OpenWindow();
        return std::nullopt;
    }

    const ui::WindowHandle window = library_.CurrentWindow();
    if (!window)
        return "no window of the library is visible";

    switch (action.kind) {
    case ActionKind::Expand:
    case ActionKind::Collapse:
    case ActionKind::Select: {
        const ui::WindowHandle tree = FindKind(window, desktop::Kind::TreeView);
        if (!tree)
            return "no visible tree";
        const auto row = FindVisibleNode(tree, action.text);
        if (!row)
            return "no visible tree node \"" + action.text + "\"";
        if (action.kind == ActionKind::Select) {
            desktop::ClickTreeItem(tree, row->item);
            return std::nullopt;
        }
        const bool wantExpanded = action.kind == ActionKind::Expand;
        if (!row->hasChildren && wantExpanded)
            return "tree node \"" + action.text + "\" has nothing to expand";
        if (row->expanded != wantExpanded)
            desktop::ClickTreeButton(tree, row->item);
        return std::nullopt;
    }
    case ActionKind::Click: {
        const ui::WindowHandle control = desktop::FindControl(window, action.id);
        if (!control)
            return "no control " + std::to_string(action.id);
        if (!desktop::IsReallyVisible(control) || !desktop::Inspect(control).enabled)
            return "control " + std::to_string(action.id) + " is hidden or disabled";
        if (!desktop::ClickButton(control))
            return "control " + std::to_string(action.id) + " is not a button";
        return std::nullopt;
    }
    case ActionKind::Tab: {
        const ui::WindowHandle tabs = FindKind(window, desktop::Kind::TabControl);
        if (!tabs)
            return "no visible tab control";
        if (!desktop::ClickTab(tabs, action.number))
            return "no tab " + std::to_string(action.number);
        return std::nullopt;
    }
    case ActionKind::Choose:
    case ActionKind::Type: {
        const ui::WindowHandle combo = desktop::FindControl(window, action.id);
        if (!combo || desktop::Inspect(combo).kind != desktop::Kind::ComboBox)
            return "no combo box " + std::to_string(action.id);
        if (!desktop::IsReallyVisible(combo) || !desktop::Inspect(combo).enabled)
            return "combo box " + std::to_string(action.id) + " is hidden or disabled";
        const bool done = action.kind == ActionKind::Choose
                              ? desktop::ChooseComboItem(combo, action.number)
                              : desktop::TypeComboText(combo, action.text);
        if (!done)
            return "no item " + std::to_string(action.number) + " in combo box " +
                   std::to_string(action.id);
        return std::nullopt;
    }
    case ActionKind::Answer:
    case ActionKind::Open:
        break;
    }
    return std::nullopt;
}

} // namespace host
