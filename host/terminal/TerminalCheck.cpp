#include "host/terminal/TerminalCheck.h"

#include <unistd.h>

#include <cstdlib>

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>
#include <ncursesw/term.h>

namespace terminal {
namespace {

constexpr char kWhatToDo[] =
    "; run devhost in a terminal that can show the window (for example xterm or tmux, with "
    "TERM naming it), or give it the user's actions with --script FILE";

std::string TermName() {
    const char* term = std::getenv("TERM");
    return term ? term : "";
}

} // namespace

std::optional<std::string> CheckTerminal() {
    const std::string term = TermName();
    if (term.empty())
        return std::string("TERM is not set, so the kind of terminal is unknown") + kWhatToDo;
    int error = 0;
    if (setupterm(term.c_str(), STDOUT_FILENO, &error) != OK)
        return "the terminal \"" + term + "\" is " +
               (error == -1 ? "unknown: no terminal descriptions are installed"
                            : "unknown to this system") +
               kWhatToDo;
    char name[] = "cup";
    const char* cursorAddress = tigetstr(name);
    const bool moves = cursorAddress != nullptr && cursorAddress != reinterpret_cast<char*>(-1);
    del_curterm(cur_term);
    if (!moves)
        return "the terminal \"" + term +
               "\" cannot move the cursor, so it cannot show the window" + kWhatToDo;
    return std::nullopt;
}

std::string CannotUseTerminal() {
    return "cannot use the terminal \"" + TermName() + "\"" + kWhatToDo;
}

} // namespace terminal
