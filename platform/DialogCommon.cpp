// The parts of the dialog base that both implementations share: message dispatch with
// its exception rule, the default routing and the control binding.
#include <exception>

#include "platform/Dialog.h"

namespace ui {
namespace {

constexpr char kUnknownException[] = "An unexpected error occurred.";

} // namespace

// An exception that escapes a handler ends that handler only: the user sees its text in
// a message box with the stop icon, the window stays open and the message is handled.
bool Dialog::Dispatch(const Event& event) {
    const char* failure = nullptr;
    std::string text;
    try {
        if (event.Message == WM_INITDIALOG) {
            OnInitDialog();
            return true;
        }
        // A subclass that does not chain to the base still gets the default routing.
        return ProcessMessage(event) || Dialog::ProcessMessage(event);
    } catch (const std::exception& exception) {
        text = exception.what();
        failure = text.c_str();
    } catch (...) {
        failure = kUnknownException;
    }
    ui::MessageBoxA(Handle(), failure, nullptr, MB_OK | MB_ICONSTOP);
    return true;
}

// As Dispatch; after an exception the result is 0, so the system sets no focus.
int Dialog::DispatchInitDialog() {
    std::string text;
    const char* failure = nullptr;
    try {
        return OnInitDialog();
    } catch (const std::exception& exception) {
        text = exception.what();
        failure = text.c_str();
    } catch (...) {
        failure = kUnknownException;
    }
    ui::MessageBoxA(Handle(), failure, nullptr, MB_OK | MB_ICONSTOP);
    return 0;
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
