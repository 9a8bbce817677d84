// Runs a script of user actions against the library's windows, without a screen, and
// writes the transcript of message boxes.
#pragma once

#include <deque>
#include <iosfwd>
#include <optional>
#include <string>

#include "host/Script.h"
#include "host/linux/LibraryHost.h"

namespace host {

class ScriptRunner {
public:
    ScriptRunner(LibraryHost& library, std::ostream& transcript);
    ~ScriptRunner();

    // Performs one action on the library's current window; the reason when a user could
    // not perform it.
    std::optional<std::string> Perform(const Action& action);

private:
    int AnswerMessageBox(unsigned flags, const std::string& caption, const std::string& text);

    LibraryHost& library_;
    std::ostream& transcript_;
    std::deque<bool> answers_; // queued answers, true = OK
};

} // namespace host
