#include "host/ScriptRunner.h"

namespace host {

std::optional<std::string> ScriptRunner::Perform(const Action& action) {
    auto refusal = Act(action);
    desktop_.Settle();
    return refusal;
}

std::optional<std::string> ScriptRunner::ActOnTree(Window window, const Action& action) {
    const Window tree = desktop_.FindVisible(window, ControlClass::TreeView);
    if (!tree)
        return "no visible tree";
    std::optional<TreeRow> row;
    for (const TreeRow& candidate : desktop_.VisibleTreeRows(tree)) {
        if (candidate.text == action.text) {
            row = candidate;
            break;
        }
    }
    if (!row)
        return "no visible tree node \"" + action.text + "\"";
    if (action.kind == ActionKind::Select) {
        desktop_.ClickTreeItem(tree, row->item);
        return std::nullopt;
    }
    const bool wantExpanded = action.kind == ActionKind::Expand;
    if (!row->hasChildren && wantExpanded)
        return "tree node \"" + action.text + "\" has nothing to expand";
    if (row->expanded != wantExpanded)
        desktop_.ClickTreeButton(tree, row->item);
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
    const std::string id = std::to_string(action.id);

    switch (action.kind) {
    case ActionKind::Expand:
    case ActionKind::Collapse:
    case ActionKind::Select:
        return ActOnTree(window, action);
    case ActionKind::Click: {
        const Window control = desktop_.FindControl(window, action.id);
        if (!control)
            return "no control " + id;
        if (!desktop_.IsVisibleAndEnabled(control))
            return "control " + id + " is hidden or disabled";
        if (!desktop_.ClickButton(control))
            return "control " + id + " is not a button";
        return std::nullopt;
    }
    case ActionKind::Tab: {
        const Window tabs = desktop_.FindVisible(window, ControlClass::TabControl);
        if (!tabs)
            return "no visible tab control";
        if (!desktop_.ClickTab(tabs, action.number))
            return "no tab " + std::to_string(action.number);
        return std::nullopt;
    }
    case ActionKind::Choose:
    case ActionKind::Type: {
        const Window combo = desktop_.FindControl(window, action.id);
        if (!combo || !desktop_.IsComboBox(combo))
            return "no combo box " + id;
        if (!desktop_.IsVisibleAndEnabled(combo))
            return "combo box " + id + " is hidden or disabled";
        const bool done = action.kind == ActionKind::Choose
                              ? desktop_.ChooseComboItem(combo, action.number)
                              : desktop_.TypeComboText(combo, action.text);
        if (!done)
            return "no item " + std::to_string(action.number) + " in combo box " + id;
        return std::nullopt;
    }
    case ActionKind::Answer:
    case ActionKind::Open:
        break;
    }
    return std::nullopt;
}

} // namespace host
