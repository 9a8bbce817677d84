#include "platform/Dialog.h"

#include <cstdio>
#include <cstdlib>

#include "platform/Static.h"

#include "platform/linux/Activation.h"
#include "platform/linux/Modules.h"
#include "platform/linux/Styles.h"
#include "platform/linux/WindowObject.h"

namespace ui {
namespace {

using desktop::Kind;

// Base units of the dialog font, "MS Sans Serif" at 8 points on a 96 DPI screen: 4 dialog
// units across are 6 pixels, 8 down are 13. A dialog without a font uses the system
// font's 8 by 16.
struct BaseUnits {
    int X;
    int Y;
};
constexpr BaseUnits kDialogFontUnits{6, 13};
constexpr BaseUnits kSystemFontUnits{8, 16};

// n * numerator / denominator, rounded to the nearest integer, halves away from zero.
int MulDiv(int n, int numerator, int denominator) {
    const long long product = static_cast<long long>(n) * numerator;
    const long long half = denominator / 2;
    return static_cast<int>(product >= 0 ? (product + half) / denominator
                                         : -((-product + half) / denominator));
}

struct Converter {
    BaseUnits Units;
    int X(int dialogUnits) const { return MulDiv(dialogUnits, Units.X, 4); }
    int Y(int dialogUnits) const { return MulDiv(dialogUnits, Units.Y, 8); }
};

bool HasCaption(std::uint32_t style) {
    return (style & style::WS_CAPTION) == style::WS_CAPTION;
}

void Report(const std::string& text) {
    std::fprintf(stderr, "%s\n", text.c_str());
}

void InitialiseState(WindowObject& window, const rc::ControlTemplate& control) {
    switch (control.Kind) {
    case Kind::RadioButton:
        window.State = detail::ButtonState{};
        break;
    case Kind::ComboBox:
        window.State = detail::ComboState{};
        break;
    case Kind::TabControl:
        window.State = detail::TabState{};
        break;
    case Kind::TreeView:
        window.State = detail::TreeModel{};
        break;
    case Kind::Picture: {
        detail::PictureState picture;
        if (control.ImageId)
            picture.Image = detail::LoadModuleBitmap(*control.ImageId);
        window.State = picture;
        break;
    }
    default:
        break;
    }
}

void CreateControl(WindowObject& dialog, const rc::ControlTemplate& control,
                   const Converter& convert) {
    WindowObject& window = detail::CreateWindowObject(control.Kind, &dialog);
    window.Id = control.Id;
    window.Text = control.Kind == Kind::ComboBox ? std::string() : control.Text;
    window.Style = control.Style;
    window.ExStyle = control.ExStyle;
    window.Visible = (control.Style & style::WS_VISIBLE) != 0;
    window.Enabled = (control.Style & style::WS_DISABLED) == 0;
    InitialiseState(window, control);
    const int x = convert.X(control.X);
    const int y = convert.Y(control.Y);
    detail::SetBounds(window, {x, y, x + convert.X(control.Width), y + convert.Y(control.Height)});
    if (auto* picture = window.StateAs<detail::PictureState>(); picture && picture->Image) {
        const Bitmap image = picture->Image;
        picture->Image = nullptr;
        Static(&window).SetBitmap(image);
    }
}

// The first control that takes the focus by the tab key.
WindowObject* FirstTabStop(WindowObject& dialog) {
    for (auto& child : dialog.Children)
        if ((child->Style & style::WS_TABSTOP) && child->Visible && child->Enabled)
            return child.get();
    return nullptr;
}

} // namespace

Dialog::Dialog(int resourceId, const Window* parent) : resourceId_(resourceId), parent_(parent) {}

// The window goes with the object; its handlers no longer reach the object.
Dialog::~Dialog() {
    WindowObject* window = detail::Find(Handle());
    if (!window || window->DialogObject != this)
        return;
    window->DialogObject = nullptr;
    Attach(nullptr);
    detail::DestroyWindowObject(*window);
}

int Dialog::Create() {
    if (detail::Find(Handle()))
        return 0;
    const detail::ModuleResourceSet resources = detail::CurrentModuleResources();
    if (!resources.Resources) {
        Report(resources.Error);
        return 0;
    }
    const rc::DialogTemplate* resource = resources.Resources->FindDialog(resourceId_);
    if (!resource) {
        Report(resources.ModuleTitle + ": there is no dialog resource " +
               std::to_string(resourceId_));
        return 0;
    }

    WindowObject* parent = parent_ ? detail::Find(parent_->Handle()) : nullptr;
    const bool child = (resource->Style & style::WS_CHILD) != 0;
    if (child && !parent) {
        Report(resources.ModuleTitle + ": dialog " + std::to_string(resourceId_) +
               " is a child window and needs a parent");
        return 0;
    }
    // A pop-up is owned by its parent's top-level window, or without a parent by the
    // window that is active on this thread.
    WindowObject* owner = nullptr;
    if (!child)
        owner = parent ? &detail::TopLevelOf(*parent) : detail::ActiveWindow();

    const Converter convert{resource->HasFont ? kDialogFontUnits : kSystemFontUnits};
    WindowObject& window = detail::CreateWindowObject(Kind::Dialog, child ? parent : nullptr);
    window.Owner = owner;
    window.Text = resource->Caption;
    window.Style = resource->Style;
    window.ExStyle = resource->ExStyle;
    window.Enabled = (resource->Style & style::WS_DISABLED) == 0;
    window.CaptionHeight = HasCaption(resource->Style) ? detail::kCaptionHeight : 0;
    window.ModuleTitle = resources.ModuleTitle;
    window.DialogObject = this;
    window.Creating = true;

    // A top-level dialog is placed relative to its owner's client area.
    int originX = 0;
    int originY = 0;
    if (!child && owner && !(resource->Style & style::DS_ABSALIGN)) {
        const Rect client = detail::ClientScreenRect(*owner);
        originX = client.Left;
        originY = client.Top;
    }
    const int left = originX + convert.X(resource->X);
    const int top = originY + convert.Y(resource->Y);
    detail::SetBounds(window, {left, top, left + convert.X(resource->Width),
                               top + window.CaptionHeight + convert.Y(resource->Height)});
    for (const rc::ControlTemplate& control : resource->Controls)
        CreateControl(window, control, convert);

    Attach(&window);
    const int initResult = DispatchInitDialog();
    if (!Handle())
        return 0; // destroyed during its initialisation
    window.Creating = false;
    if (resource->Style & style::WS_VISIBLE) {
        ShowWindow(SW_SHOWNORMAL);
        if (initResult != 0 && Handle())
            if (WindowObject* focus = FirstTabStop(window))
                detail::Focus(focus);
    }
    detail::Changed();
    return Handle() ? 1 : 0;
}

void Dialog::EndDialog(int) {
    ShowWindow(SW_HIDE);
}

} // namespace ui
