// The controls of the library's windows that a script names by id, with what each is and
// the values a script gives it. The help text and the script's error messages use it.
#pragma once

#include <span>
#include <string>
#include <string_view>

namespace host {

struct ScriptControl {
    int Id = 0;
    std::string_view Name;   // what the user sees: "Add button", "Ch0 trigger edge Rising"
    std::string_view Values; // what a script does with it
};

std::span<const ScriptControl> ScriptControls();

// The control of this id, or nullptr for an id the windows do not have.
const ScriptControl* FindScriptControl(int id);

// "control 1006 (Save button)", or "control 77" for an id of no known control.
std::string DescribeControl(int id);

// The table for the help text: one line per control, id first.
std::string ScriptControlTable();

} // namespace host
