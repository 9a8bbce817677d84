// A message box presenter for the windowing layer's tests: records every box and answers from a
// queue, with OK (the default button) once the queue is empty. On Windows it answers the
// real boxes (tests/support/Desktop.h).
#pragma once

#include <deque>
#include <vector>

#include "tests/support/Desktop.h"

namespace testing_support {

class MessageBoxRecorder {
public:
    // Installs itself as the presenter; the destructor removes it again.
    MessageBoxRecorder();
    ~MessageBoxRecorder();
    MessageBoxRecorder(const MessageBoxRecorder&) = delete;
    MessageBoxRecorder& operator=(const MessageBoxRecorder&) = delete;

    void QueueAnswer(int answer) { answers_.push_back(answer); }
    const std::vector<desktop::MessageBoxRequest>& Boxes() const { return boxes_; }
    void Clear() { boxes_.clear(); }

private:
    std::vector<desktop::MessageBoxRequest> boxes_;
    std::deque<int> answers_;
};

} // namespace testing_support
