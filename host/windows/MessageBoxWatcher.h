// Answers the real message boxes of the host's thread from the script's queue, which also
// writes the transcript line of each box.
#pragma once

#include <windows.h>

#include "host/MessageBoxAnswers.h"

namespace host {

class MessageBoxWatcher {
public:
    explicit MessageBoxWatcher(MessageBoxAnswers& answers);
    ~MessageBoxWatcher();
    MessageBoxWatcher(const MessageBoxWatcher&) = delete;
    MessageBoxWatcher& operator=(const MessageBoxWatcher&) = delete;

private:
    static LRESULT CALLBACK HookProcedure(int code, WPARAM wParam, LPARAM lParam);
    static LRESULT CALLBACK WindowProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam);
    void Answer(HWND box);

    MessageBoxAnswers& answers_;
    HWND window_ = nullptr; // message-only window that receives the boxes to answer
    HHOOK hook_ = nullptr;
};

} // namespace host
