// Runs a script of user actions against the library's real windows and writes the
// transcript of the message boxes they raise.
#pragma once

#include <optional>
#include <string>

#include "host/Script.h"
#include "host/windows/LibraryWindows.h"
#include "host/windows/MessageBoxWatcher.h"

namespace devhost {

class ScriptRunner {
public:
    // `watcher` answers the boxes; it outlives the runner, so that the boxes of the
    // first opening and of the shutdown are answered and written too.
    ScriptRunner(LibraryWindows& library, MessageBoxWatcher& watcher)
        : library_(library), watcher_(watcher) {}

    // Performs one action on the library's current window and lets the window answer it;
    // the reason when a user could not perform it.
    std::optional<std::string> Perform(const host::Action& action);

private:
    std::optional<std::string> Act(const host::Action& action);

    LibraryWindows& library_;
    MessageBoxWatcher& watcher_;
};

} // namespace devhost
