// The parts of the dialog base that both implementations share: message dispatch with
// its exception rule, the default routing and the control binding.
#include <exception>
#include <string>

#include "platform/Dialog.h"

namespace ui {
namespace {

constexpr char kUnknownException[] = "An unexpected error occurred.";

// Runs `handler`; an exception that escapes it ends that handler only: the user sees its
// text in a message box with the stop icon, the window stays open, and `onFailure` is
// the result.
template <typename Result, typename Handler>
Result RunGuarded(const Window& owner, Result onFailure, Handler handler) {
    std::string text;
    const char* failure = nullptr;
    try {
        return handler();
    } catch (const std::exception& exception) {
        text = exception.what();
        failure = text.c_str();
    } catch (...) {
        failure = kUnknownException;
    }
    ui::MessageBoxA(owner.Handle(), failure, nullptr, MB_OK | MB_ICONSTOP);
    return onFailure;
}

} // namespace

// After an exception the message counts as handled.
bool Dialog::Dispatch(const Event& event) {
    return RunGuarded(*this, true, [&] {
        if (event.Message == WM_INITDIALOG) {
            OnInitDialog();
            return true;
        }
        // A subclass that does not chain to the base still gets the default routing.
        return ProcessMessage(event) || Dialog::ProcessMessage(event);
    });
}

// After an exception the result is 0, so the system sets no focus.
int Dialog::DispatchInitDialog() {
    return RunGuarded(*this, 0, [this] { return OnInitDialog(); });
}

void Dialog::DispatchNcDestroy() {
    PostNcDestroy();
}

bool Dialog::ProcessMessage(const Event& event) {
    if (event.Message == WM_COMMAND && event.Code == BN_CLICKED) {
        if (event.ControlId == IDOK) {
            OnOK();
            return true;
        }
        if (event.ControlId == IDCANCEL) {
            OnCancel();
            return true;
        }
    }
    if (event.Message == WM_DESTROY) {
        OnDestroy();
        return true;
    }
    return false;
}

int Dialog::OnInitDialog() {
    BindControls();
    return 1;
}

void Dialog::BindControl(int id, Window& control) const {
    control.Attach(GetDlgItem(id).Handle());
}

} // namespace ui
