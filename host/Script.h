// The host's script language: one user action per line, and the transcript line written
// for every message box. Shared by the Linux and the Windows host.
#pragma once

#include <functional>
#include <iosfwd>
#include <optional>
#include <string>
#include <string_view>
#include <variant>

namespace host {

enum class ActionKind { Expand, Collapse, Select, Click, Tab, Choose, Type, Answer, Open };

struct Action {
    ActionKind Kind = ActionKind::Click;
    int Line = 0;
    int Id = 0;       // click, choose, type: the control id
    int Number = 0;   // tab: the tab index; choose: the item index
    bool Ok = true;   // answer: ok or cancel
    std::string Text; // expand, collapse, select, type: the rest of the line
};

struct ScriptError {
    int Line = 0;
    std::string Reason;
};

// One line of a script: nothing for a blank or comment line, the action, or why a user
// could not perform it ("unknown action \"jump\"").
std::variant<std::monostate, Action, ScriptError> ParseLine(std::string_view line, int lineNumber);

// Runs a script: reads it line by line while `keepGoing()` holds and performs each action.
// Returns "script line N: REASON" for the first line a user could not perform, else nothing.
std::optional<std::string>
RunScriptLines(std::istream& script, const std::function<bool()>& keepGoing,
               const std::function<std::optional<std::string>(const Action&)>& perform);

// Escapes a text for the transcript: `"`, `\` and control characters as \", \\, \n, \r,
// \t or \xHH.
std::string EscapeText(std::string_view text);

// The transcript line of one message box, without the line end:
// messagebox caption="..." text="..." buttons=OK|OKCANCEL icon=none|stop answer=ok|cancel
std::string MessageBoxLine(std::string_view caption, std::string_view text, unsigned flags,
                           bool answeredOk);

} // namespace host
