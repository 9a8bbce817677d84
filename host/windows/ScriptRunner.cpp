#include "host/windows/ScriptRunner.h"

#include "host/windows/UserActions.h"

namespace devhost {

using host::ActionKind;

std::optional<std::string> ScriptRunner::Perform(const host::Action& action) {
    auto refusal = Act(action);
    PumpUntilIdle();
    return refusal;
}

std::optional<std::string> ScriptRunner::Act(const host::Action& action) {
    if (action.kind == ActionKind::Answer) {
        watcher_.QueueAnswer(action.ok);
        return std::nullopt;
    }
    if (action.kind == ActionKind::Open) {
        library_.OpenWindow();
        return std::nullopt;
    }

    HWND window = library_.CurrentWindow();
    if (!window)
        return "no window of the library is visible";
    const std::string id = std::to_string(action.id);

    switch (action.kind) {
    case ActionKind::Expand:
    case ActionKind::Collapse:
    case ActionKind::Select: {
        HWND tree = FindVisibleOfClass(window, WC_TREEVIEWA);
        if (!tree)
            return "no visible tree";
        std::optional<TreeRow> row;
        for (const TreeRow& candidate : VisibleTreeRows(tree)) {
            if (candidate.text == action.text) {
                row = candidate;
                break;
            }
        }
        if (!row)
            return "no visible tree node \"" + action.text + "\"";
        if (action.kind == ActionKind::Select) {
            ClickTreeItem(tree, row->item);
            return std::nullopt;
        }
        const bool wantExpanded = action.kind == ActionKind::Expand;
        if (!row->hasChildren && wantExpanded)
            return "tree node \"" + action.text + "\" has nothing to expand";
        if (row->expanded != wantExpanded)
            ClickTreeButton(tree, row->item);
        return std::nullopt;
    }
    case ActionKind::Click: {
        HWND control = FindControl(window, action.id);
        if (!control)
            return "no control " + id;
        if (!IsWindowVisible(control) || !IsWindowEnabled(control))
            return "control " + id + " is hidden or disabled";
        if (!ClickButton(control))
            return "control " + id + " is not a button";
        return std::nullopt;
    }
    case ActionKind::Tab: {
        HWND tabs = FindVisibleOfClass(window, WC_TABCONTROLA);
        if (!tabs)
            return "no visible tab control";
        if (!ClickTab(tabs, action.number))
            return "no tab " + std::to_string(action.number);
        return std::nullopt;
    }
    case ActionKind::Choose:
    case ActionKind::Type: {
        HWND combo = FindControl(window, action.id);
        if (!combo || !HasClass(combo, "ComboBox"))
            return "no combo box " + id;
        if (!IsWindowVisible(combo) || !IsWindowEnabled(combo))
            return "combo box " + id + " is hidden or disabled";
        const bool done = action.kind == ActionKind::Choose ? ChooseComboItem(combo, action.number)
                                                            : TypeComboText(combo, action.text);
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

} // namespace devhost
