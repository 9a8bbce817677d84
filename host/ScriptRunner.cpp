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
        if (candidate.text == action.text) {
            row = candidate;
            break;
        }
    }
    if (!row)
        return "no visible tree node \"" + action.text + "\"";
    if (action.kind == ActionKind::Select) {
        actions_.ClickTreeItem(tree, row->item);
        return std::nullopt;
    }
    const bool wantExpanded = action.kind == ActionKind::Expand;
    if (!row->hasChildren && wantExpanded)
        return "tree node \"" + action.text + "\" has nothing to expand";
    if (row->expanded != wantExpanded)
        actions_.ClickTreeButton(tree, row->item);
    return std::nullopt;
}

std::optional<std::string> ScriptRunner::Act(const Action& action) {
    if (action.kind == ActionKind::Answer) {
        answers_.Queue(action.ok);
        return std::nullopt;
    }
    if (action.kind == ActionKind::Open) {
        library_.OpenWindow();
        return std::nullopt;
    }

    const Window window = library_.CurrentWindow();
    if (!window)
        return "no window of the library is visible";
    const std::string control = DescribeControl(action.id);

    switch (action.kind) {
    case ActionKind::Expand:
    case ActionKind::Collapse:
    case ActionKind::Select:
        return ActOnTree(window, action);
    case ActionKind::Click: {
        const Window target = actions_.FindControl(window, action.id);
        if (!target)
            return "the window has no control " + std::to_string(action.id);
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
        if (!actions_.ClickTab(tabs, action.number))
            return "no tab " + std::to_string(action.number);
        return std::nullopt;
    }
    case ActionKind::Choose:
    case ActionKind::Type: {
        const Window combo = actions_.FindControl(window, action.id);
        if (!combo)
            return "the window has no control " + std::to_string(action.id);
        if (!actions_.IsComboBox(combo))
            return control + " is not a combo box";
        if (auto refusal = Unusable(combo, control))
            return refusal;
        if (action.kind == ActionKind::Type) {
            if (!actions_.TypeComboText(combo, action.text))
                return control + " has no edit field to type into";
            return std::nullopt;
        }
        if (!actions_.ChooseComboItem(combo, action.number))
            return control + " has no item " + std::to_string(action.number);
        return std::nullopt;
    }
    case ActionKind::Answer:
    case ActionKind::Open:
        break;
    }
    return std::nullopt;
}

} // namespace host
