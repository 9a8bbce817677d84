// Dialog base class: a window built from a dialog resource of the application's module.
//
// A subclass replaces four operations: destruction (the destructor), message routing
// (ProcessMessage, normally one call of RouteMessage over a static table declared beside
// the class), control binding (BindControls) and initialisation (OnInitDialog).
#pragma once

#include <cstddef>

#include "platform/Window.h"

namespace ui {

// One message as the handlers see it: WM_INITDIALOG, WM_DESTROY, WM_COMMAND (Code is the
// notification, ControlId the control) or WM_NOTIFY (Code and ControlId from its header).
struct Event {
    unsigned Message = 0;
    unsigned Code = 0;
    int ControlId = 0;
};

class Dialog : public Window {
public:
    // `parent` is the parent of a child dialog, or nullptr for a top-level one.
    Dialog(int resourceId, const Window* parent);
    virtual ~Dialog();
    Dialog(const Dialog&) = delete;
    Dialog& operator=(const Dialog&) = delete;

    // Makes the modeless window from the dialog resource (hidden unless the resource says
    // visible) and runs OnInitDialog with the controls bound before it returns. Without a
    // parent, the calling thread's active window becomes the owner. Non-zero on success;
    // on failure no window remains and PostNcDestroy has not run.
    int Create();
    // Ends the dialog: hides a modeless one. The window is not destroyed.
    void EndDialog(int result);
    int ResourceId() const { return resourceId_; }

    // Entry point of both implementations for every message of this dialog: routes it
    // and shows an escaping exception in a message box with the stop icon (handled).
    bool Dispatch(const Event& event);
    int DispatchInitDialog();
    // Entry point for the end of the window's life: runs PostNcDestroy.
    void DispatchNcDestroy();

protected:
    virtual bool ProcessMessage(const Event& event);
    virtual void BindControls() {}
    // The base initialisation binds the controls; returns 1 so the system sets the focus.
    virtual int OnInitDialog();
    // IDOK and IDCANCEL end the dialog.
    virtual void OnOK() { EndDialog(IDOK); }
    virtual void OnCancel() { EndDialog(IDCANCEL); }
    // The default destruction handling.
    void OnDestroy() {}
    // Runs once after the window and all its children have been destroyed, as the very
    // last thing the layer does with this object: a dialog that owns itself may delete
    // itself here.
    virtual void PostNcDestroy() {}

    // Attaches `control` to the child window with `id`.
    void BindControl(int id, Window& control) const;

private:
    int resourceId_;
    const Window* parent_;
};

// One row of a dialog's handler table.
template <class D> struct MessageRoute {
    unsigned Message;
    unsigned Code;
    int FirstId;
    int LastId;
    void (D::*Handler)(const Event&);
};

// Calls the first handler whose row matches: the message, and for WM_COMMAND and
// WM_NOTIFY also the code and a control id within the row's range.
template <class D, std::size_t N>
bool RouteMessage(D& dialog, const MessageRoute<D> (&table)[N], const Event& event) {
    const bool hasSource = event.Message == WM_COMMAND || event.Message == WM_NOTIFY;
    for (const auto& row : table) {
        if (row.Message != event.Message)
            continue;
        if (hasSource && (row.Code != event.Code || event.ControlId < row.FirstId ||
                          event.ControlId > row.LastId))
            continue;
        (dialog.*row.Handler)(event);
        return true;
    }
    return false;
}

} // namespace ui
