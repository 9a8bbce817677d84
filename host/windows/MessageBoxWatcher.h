// Answers the real message boxes of the host's thread as the script queued, and writes one
// transcript line for each box it answers.
#pragma once

#include <windows.h>

#include <cstdio>
#include <deque>

namespace devhost {

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(std::FILE* transcript);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

    // The answer for the next box; a box with none queued gets its default button, OK.
    void QueueAnswer(bool ok) { answers_.push_back(ok); }

private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    std::FILE* transcript_;
    std::deque<bool> answers_;
    HWND window_ = nullptr; // message-only window that receives the boxes to answer
    HHOOK hook_ = nullptr;
};

} // namespace devhost
