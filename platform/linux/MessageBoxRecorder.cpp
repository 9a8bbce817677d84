#include "platform/linux/MessageBoxRecorder.h"

namespace ui::desktop {

MessageBoxRecorder::MessageBoxRecorder() {
    SetMessageBoxPresenter([this](const MessageBoxRequest& request) {
        boxes_.push_back(request);
        if (answers_.empty())
            return IDOK;
        const int answer = answers_.front();
        answers_.pop_front();
        return answer;
    });
}

MessageBoxRecorder::~MessageBoxRecorder() {
    SetMessageBoxPresenter(nullptr);
}

} // namespace ui::desktop
