#include "tests/support/MessageBoxRecorder.h"

namespace testing_support {

using desktop::MessageBoxRequest;
using desktop::SetMessageBoxPresenter;

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

} // namespace testing_support
