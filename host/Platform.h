// What the host's one main needs of its platform: its own folder, its main window, the
// watcher that answers message boxes, and the front end a user works in without a script.
#pragma once

#include <memory>
#include <optional>
#include <string>

#include "host/Library.h"
#include "host/MessageBoxAnswers.h"
#include "host/UserActions.h"

namespace host {

// Sets up the standard streams (on Windows: no CR before the transcript's line ends).
void PrepareStandardStreams();
// The host program's folder, ending with a separator.
std::string ProgramFolder();
// Why the user cannot work without a script here (no terminal), or nothing.
std::optional<std::string> InteractiveProblem();
// Ends the process at once with this status, destroying no window.
[[noreturn]] void ExitAtOnce(int status);

// The host's main window, which owns the library's windows; destroying it shuts them.
Window CreateMainWindow();
void DestroyMainWindow(Window window);

// Answers every message box of this thread through `answers` while it exists.
class MessageBoxWatch {
public:
    explicit MessageBoxWatch(MessageBoxAnswers& answers);
    ~MessageBoxWatch();
    MessageBoxWatch(const MessageBoxWatch&) = delete;
    MessageBoxWatch& operator=(const MessageBoxWatch&) = delete;

private:
    struct Hook;
    std::unique_ptr<Hook> hook_;
};

// Without a script: opens the library's window in the platform's front end and lets the
// user work until no window of the library is left or the user quits, then shuts the
// host. `driverFile` is the file the window edits, as the user reads a path here.
int RunInteractive(Library& library, const std::string& driverFile);

} // namespace host
