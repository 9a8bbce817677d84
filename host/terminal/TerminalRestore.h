// Giving the terminal back in every way the program can end: the normal end (ncurses'
// own), an interrupt that asks for the host's orderly shutdown, and a fatal signal, after
// which the terminal's saved modes are put back and the signal is raised again.
#pragma once

#include <string_view>

namespace terminal {

// Records the terminal's modes before the screen takes it over.
void SaveTerminalState();
// From now on a fatal signal restores the terminal first; SIGINT and SIGTERM request a
// shutdown instead of ending the program.
void ArmTerminalRestore();
// The screen has given the terminal back: signals take their default course again.
void DisarmTerminalRestore();

// A terminal description without an alternate screen (vt100 and the like) would leave the
// windows on the screen at the end. For such a terminal the screen is taken the way
// xterm-like terminals keep one (private mode 1049, which a terminal without it ignores),
// and at the end it is cleared and left, so that either the shell's screen comes back or
// at least a clear screen. Call after the screen has started; does nothing where the
// description has an alternate screen of its own.
void EnterAlternateScreenWhereMissing();
void LeaveAlternateScreenWhereMissing();

// Whether SIGINT or SIGTERM arrived since the last call.
bool TakeShutdownRequest();

// Writes bytes to the terminal directly, past the screen's buffering.
void WriteToTerminal(std::string_view bytes);

} // namespace terminal
