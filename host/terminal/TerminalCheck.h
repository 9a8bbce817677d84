// Whether the terminal that devhost runs in can show the window, and what to say when not.
#pragma once

#include <optional>
#include <string>

namespace terminal {

// The reason, with what the user can do instead, when the terminal named by TERM is
// unknown or cannot move the cursor (as "dumb"); none when it can show the window.
std::optional<std::string> CheckTerminal();

// The message for a terminal that ncurses refuses although its description was found.
std::string CannotUseTerminal();

} // namespace terminal
