#include "host/terminal/TerminalRestore.h"

#include <termios.h>
#include <unistd.h>

#include <csignal>
#include <cstring>

#define NCURSES_WIDECHAR 1
#include <ncursesw/curses.h>
#include <ncursesw/term.h>

namespace terminal {
namespace {

constexpr int kFatalSignals[] = {SIGHUP, SIGQUIT, SIGILL,  SIGABRT,
                                 SIGBUS, SIGFPE,  SIGSEGV, SIGPIPE};
constexpr int kShutdownSignals[] = {SIGINT, SIGTERM};

constexpr char kEnterAlternate[] = "\033[?1049h";
constexpr char kClearAndLeaveAlternate[] = "\033[H\033[2J\033[?1049l";

termios savedModes;
bool ownAlternateScreen = false;
bool haveSavedModes = false;
volatile std::sig_atomic_t shutdownRequested = 0;

// What puts the screen back, prepared beforehand: a signal handler may only write it.
char restoreBytes[512];
std::size_t restoreLength = 0;

void AppendRestore(const char* bytes) {
    if (!bytes || bytes == reinterpret_cast<const char*>(-1))
        return;
    const std::size_t length = std::strlen(bytes);
    if (restoreLength + length >= sizeof restoreBytes)
        return;
    std::memcpy(restoreBytes + restoreLength, bytes, length);
    restoreLength += length;
}

const char* Capability(const char* name) {
    return tigetstr(const_cast<char*>(name));
}

void RestoreNow() {
    if (restoreLength > 0) {
        const ssize_t written = write(STDOUT_FILENO, restoreBytes, restoreLength);
        (void)written;
    }
    if (haveSavedModes)
        tcsetattr(STDIN_FILENO, TCSAFLUSH, &savedModes);
}

void OnFatalSignal(int signal) {
    RestoreNow();
    // The handler was reset to the default on entry: the signal ends the program as it
    // would have, once this handler returns.
    std::raise(signal);
}

void OnShutdownSignal(int) {
    shutdownRequested = 1;
}

void Install(int signal, void (*handler)(int), int flags) {
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = handler;
    action.sa_flags = flags;
    sigemptyset(&action.sa_mask);
    sigaction(signal, &action, nullptr);
}

} // namespace

void SaveTerminalState() {
    haveSavedModes = tcgetattr(STDIN_FILENO, &savedModes) == 0;
}

void ArmTerminalRestore() {
    restoreLength = 0;
    AppendRestore("\033[?1000l\033[?1002l\033[?1003l\033[?1006l"); // mouse reports off
    AppendRestore(Capability("sgr0"));
    AppendRestore(Capability("cnorm"));
    AppendRestore(Capability("rmkx"));
    AppendRestore(ownAlternateScreen ? kClearAndLeaveAlternate : Capability("rmcup"));
    for (const int signal : kFatalSignals)
        Install(signal, OnFatalSignal, SA_RESETHAND);
    for (const int signal : kShutdownSignals)
        Install(signal, OnShutdownSignal, 0);
}

void DisarmTerminalRestore() {
    for (const int signal : kFatalSignals)
        Install(signal, SIG_DFL, 0);
    for (const int signal : kShutdownSignals)
        Install(signal, SIG_DFL, 0);
    restoreLength = 0;
}

void EnterAlternateScreenWhereMissing() {
    const char* enter = Capability("smcup");
    ownAlternateScreen = !enter || enter == reinterpret_cast<const char*>(-1) || !*enter;
    if (ownAlternateScreen)
        WriteToTerminal(kEnterAlternate);
}

void LeaveAlternateScreenWhereMissing() {
    if (!ownAlternateScreen)
        return;
    WriteToTerminal(kClearAndLeaveAlternate);
    ownAlternateScreen = false;
}

bool TakeShutdownRequest() {
    const bool requested = shutdownRequested != 0;
    shutdownRequested = 0;
    return requested;
}

void WriteToTerminal(std::string_view bytes) {
    while (!bytes.empty()) {
        const ssize_t written = write(STDOUT_FILENO, bytes.data(), bytes.size());
        if (written <= 0)
            return;
        bytes.remove_prefix(static_cast<std::size_t>(written));
    }
}

} // namespace terminal
