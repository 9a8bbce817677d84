// The queue of the script's answers to message boxes, and the transcript line written for
// every box answered. Each platform's watcher asks it for the answer to a box it sees.
#pragma once

#include <deque>
#include <iosfwd>
#include <string_view>

namespace host {

class MessageBoxAnswers {
public:
    explicit MessageBoxAnswers(std::ostream& transcript) : transcript_(transcript) {}

    // The answer for the next box.
    void Queue(bool ok) { answers_.push_back(ok); }
    // Answers a box with these MB_ flags and writes its transcript line: the queued answer,
    // OK when none is queued; a box without a Cancel button can only be answered OK.
    // True for OK.
    bool Answer(std::string_view caption, std::string_view text, unsigned flags);

private:
    std::ostream& transcript_;
    std::deque<bool> answers_; // true = OK
};

} // namespace host
