#include "host/ScriptRunner.h"

#include "host/ScriptControls.h"

namespace host {

std::optional<std::string> ScriptRunner::Perform(const Action& action) {
    auto refusal = Act(action);
    actions_.Settle();
    return refusal;
}

// Why a user could not act on the control: it is not shown (a page's control while that
// page is hidden) or it is disabled.
std::optional<std::string> ScriptRunner::Unusable(Window control, const std::string& name) const {
    if (!actions_.IsVisible(control))
        return name + " is not shown";
    if (!actions_.IsEnabled(control))
        return name + " is disabled";
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::ActOnTree(Window window, const Action& action) {
    const Window tree = actions_.FindVisible(window, ControlClass::TreeView);
    if (!tree)
        return "no visible tree";
    std::optional<TreeRow> row;
    for (const TreeRow& candidate : actions_.VisibleTreeRows(tree)) {
        if (candidate.Text == action.Text) {
            row = candidate;
            break;
        }
    }
    if (!row)
        return "no visible tree node \"" + action.Text + "\"";
    if (action.Kind == ActionKind::Select) {
        actions_.ClickTreeItem(tree, row->Item);
        return std::nullopt;
    }
    const bool wantExpanded = action.Kind == ActionKind::Expand;
    if (!row->HasChildren && wantExpanded)
        return "tree node \"" + action.Text + "\" has nothing to expand";
    if (row->Expanded != wantExpanded)
        actions_.ClickTreeButton(tree, row->Item);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::Act(const Action& action) {
    if (action.Kind == ActionKind::Answer) {
        answers_.Queue(action.Ok);
        return std::nullopt;
    }
    if (action.Kind == ActionKind::Open) {
        library_.OpenWindow();
        return std::nullopt;
    }

    const Window window = library_.CurrentWindow();
    if (!window)
        return "no window of the library is visible";
    const std::string control = DescribeControl(action.Id);

    switch (action.Kind) {
    case ActionKind::Expand:
    case ActionKind::Collapse:
    case ActionKind::Select:
        return ActOnTree(window, action);
    case ActionKind::Click: {
        const Window target = actions_.FindControl(window, action.Id);
        if (!target)
            return "the window has no control " + std::to_string(action.Id);
        if (auto refusal = Unusable(target, control))
            return refusal;
        if (!actions_.ClickButton(target))
            return control + " is not a button";
        return std::nullopt;
    }
    case ActionKind::Tab: {
        const Window tabs = actions_.FindVisible(window, ControlClass::TabControl);
        if (!tabs)
            return "no visible tab control";
        if (!actions_.ClickTab(tabs, action.Number))
            return "no tab " + std::to_string(action.Number);
        return std::nullopt;
    }
    case ActionKind::Choose:
    case ActionKind::Type: {
        const Window combo = actions_.FindControl(window, action.Id);
        if (!combo)
            return "the window has no control " + std::to_string(action.Id);
        if (!actions_.IsComboBox(combo))
            return control + " is not a combo box";
        if (auto refusal = Unusable(combo, control))
            return refusal;
        if (action.Kind == ActionKind::Type) {
            if (!actions_.TypeComboText(combo, action.Text))
                return control + " has no edit field to type into";
            return std::nullopt;
        }
        if (!actions_.ChooseComboItem(combo, action.Number))
            return control + " has no item " + std::to_string(action.Number);
        return std::nullopt;
    }
    case ActionKind::Answer:
    case ActionKind::Open:
        break;
    }
    return std::nullopt;
}

} // namespace host
