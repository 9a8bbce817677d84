// Performs the actions of a script on the library's current window through one platform's
// UserActions, as a user would; the answers go to the message-box queue.
#pragma once

#include <optional>
#include <string>

#include "host/Library.h"
#include "host/MessageBoxAnswers.h"
#include "host/Script.h"
#include "host/UserActions.h"

namespace host {

class ScriptRunner {
public:
    ScriptRunner(Library& library, UserActions& actions, MessageBoxAnswers& answers)
        : library_(library), actions_(actions), answers_(answers) {}

    // Performs one action and lets the windows answer it; the reason when a user could
    // not perform it.
    std::optional<std::string> Perform(const Action& action);

private:
    std::optional<std::string> Act(const Action& action);
    std::optional<std::string> ActOnTree(Window window, const Action& action);
    std::optional<std::string> Unusable(Window control, const std::string& name) const;

    Library& library_;
    UserActions& actions_;
    MessageBoxAnswers& answers_;
};

} // namespace host
