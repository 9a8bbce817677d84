#include <windows.h>

#include <algorithm>
#include <vector>

#include "platform/Dialog.h"
#include "platform/windows/Module.h"

namespace ui {
namespace {

using win::FromHwnd;
using win::ToHwnd;

// The dialogs whose Create runs on this thread. One that is destroyed during its
// initialisation fails Create, and as after any failed Create its last step
// (PostNcDestroy) has not run.
thread_local std::vector<const Dialog*> creating;

bool IsBeingCreated(const Dialog* dialog) {
    return std::find(creating.begin(), creating.end(), dialog) != creating.end();
}

Dialog* DialogOf(HWND hwnd) {
    return reinterpret_cast<Dialog*>(GetWindowLongPtrA(hwnd, DWLP_USER));
}

// Every dialog of the layer runs through this procedure: WM_INITDIALOG attaches the
// object that CreateDialogParamA carried, the routed messages go to its handler table.
INT_PTR CALLBACK DialogProcedure(HWND hwnd, UINT message, WPARAM wParam, LPARAM lParam) {
    if (message == WM_INITDIALOG) {
        auto* dialog = reinterpret_cast<Dialog*>(lParam);
        SetWindowLongPtrA(hwnd, DWLP_USER, reinterpret_cast<LONG_PTR>(dialog));
        dialog->Attach(FromHwnd(hwnd));
        return dialog->DispatchInitDialog();
    }
    Dialog* dialog = DialogOf(hwnd);
    if (!dialog)
        return FALSE;
    switch (message) {
    case WM_COMMAND:
        return dialog->Dispatch(Event{WM_COMMAND, HIWORD(wParam), LOWORD(wParam)}) ? TRUE : FALSE;
    case WM_NOTIFY: {
        const auto* header = reinterpret_cast<const NMHDR*>(lParam);
        const Event event{WM_NOTIFY, header->code, static_cast<int>(header->idFrom)};
        if (!dialog->Dispatch(event))
            return FALSE;
        SetWindowLongPtrA(hwnd, DWLP_MSGRESULT, 0);
        return TRUE;
    }
    case WM_DESTROY:
        dialog->Dispatch(Event{WM_DESTROY, 0, 0});
        return FALSE;
    case WM_NCDESTROY:
        // The window and its children are gone: the object lets go of the handle (which
        // the system may reuse) before its last step, which may delete it.
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        dialog->Attach(nullptr);
        if (!IsBeingCreated(dialog))
            dialog->DispatchNcDestroy();
        return FALSE;
    default:
        return FALSE;
    }
}

} // namespace

Dialog::Dialog(int resourceId, const Window* parent) : resourceId_(resourceId), parent_(parent) {}

// The window goes with the object; its handlers no longer reach the object.
Dialog::~Dialog() {
    HWND hwnd = ToHwnd(Handle());
    if (hwnd && IsWindow(hwnd) && DialogOf(hwnd) == this) {
        SetWindowLongPtrA(hwnd, DWLP_USER, 0);
        Attach(nullptr);
        DestroyWindow(hwnd);
    }
}

int Dialog::Create() {
    if (IsWindow(ToHwnd(Handle())))
        return 0;
    win::InitCommonControlsOnce();
    // A dialog without a parent is owned by the window that is active on this thread, so
    // it stays in front of it and goes when it goes.
    HWND owner = parent_ ? ToHwnd(parent_->Handle()) : ::GetActiveWindow();
    creating.push_back(this);
    HWND hwnd = CreateDialogParamA(win::ResourceModule(), MAKEINTRESOURCEA(resourceId_), owner,
                                   DialogProcedure, reinterpret_cast<LPARAM>(this));
    creating.erase(std::find(creating.begin(), creating.end(), this));
    // The system returns the handle of a dialog that was destroyed during its
    // initialisation, which the object has let go of.
    return hwnd != nullptr && Handle() != nullptr ? 1 : 0;
}

void Dialog::EndDialog(int result) {
    ::EndDialog(ToHwnd(Handle()), result);
}

} // namespace ui
