#include <utility>

#include "platform/Application.h"
#include "platform/linux/Desktop.h"
#include "platform/linux/WindowObject.h"

namespace ui {
namespace {

constexpr char kDefaultCaption[] = "Error";

desktop::MessageBoxPresenter& Presenter() {
    static desktop::MessageBoxPresenter* presenter = new desktop::MessageBoxPresenter;
    return *presenter;
}

// The given caption; else, for a box with an owner, the title of the module that built the
// owner, else that of the application; with neither caption nor owner, the system's default.
std::string CaptionFor(WindowObject* owner, const char* caption) {
    if (caption)
        return caption;
    if (owner) {
        const WindowObject& top = detail::TopLevelOf(*owner);
        if (!owner->ModuleTitle.empty())
            return owner->ModuleTitle;
        if (!top.ModuleTitle.empty())
            return top.ModuleTitle;
        if (const Application* application = Application::Current())
            if (!application->Title().empty())
                return application->Title();
    }
    return kDefaultCaption;
}

// While a box is up, its owner's top-level window takes no input, as with a modal box.
class OwnerDisabled {
public:
    explicit OwnerDisabled(WindowObject* owner)
        : top_(owner ? &detail::TopLevelOf(*owner) : nullptr), handle_(top_) {
        if (!top_ || !top_->Enabled) {
            top_ = nullptr;
            return;
        }
        top_->Enabled = false;
        detail::Changed();
    }
    ~OwnerDisabled() {
        if (WindowObject* top = detail::Find(handle_); top && top == top_) {
            top->Enabled = true;
            detail::Changed();
        }
    }
    OwnerDisabled(const OwnerDisabled&) = delete;
    OwnerDisabled& operator=(const OwnerDisabled&) = delete;

private:
    WindowObject* top_;
    WindowHandle handle_;
};

} // namespace

int MessageBoxA(WindowHandle owner, const char* text, const char* caption, unsigned flags) {
    WindowObject* ownerWindow = detail::Find(owner);
    desktop::MessageBoxRequest request;
    request.Owner = ownerWindow;
    request.Caption = CaptionFor(ownerWindow, caption);
    request.Text = text ? text : "";
    request.Flags = flags;

    int answer = IDOK;
    {
        const OwnerDisabled modal(ownerWindow);
        // A copy: the presenter may replace itself while it answers.
        const desktop::MessageBoxPresenter presenter = Presenter();
        if (presenter)
            answer = presenter(request);
    }
    // A box without Cancel can only be answered OK; anything but Cancel is the default.
    const bool hasCancel = (flags & 0xF) == MB_OKCANCEL;
    return hasCancel && answer == IDCANCEL ? IDCANCEL : IDOK;
}

namespace desktop {

void SetMessageBoxPresenter(MessageBoxPresenter presenter) {
    Presenter() = std::move(presenter);
}

} // namespace desktop
} // namespace ui
