#include "platform/Static.h"

#include "platform/linux/Modules.h"
#include "platform/linux/WindowObject.h"

namespace ui {
namespace {

constexpr std::uint32_t kRealSizeControl = 0x0040; // SS_REALSIZECONTROL
constexpr std::uint32_t kCenterImage = 0x0200;     // SS_CENTERIMAGE

} // namespace

Bitmap Static::SetBitmap(Bitmap bitmap) const {
    WindowObject* window = detail::Find(Handle());
    auto* picture = window ? window->StateAs<detail::PictureState>() : nullptr;
    const desktop::Pixels* pixels = detail::PixelsOf(bitmap);
    if (!picture || (bitmap && !pixels))
        return nullptr;
    const Bitmap previous = picture->Image;
    picture->Image = bitmap;
    // A bitmap control takes the size of its image, keeping its top left corner.
    if (pixels && !(window->Style & (kRealSizeControl | kCenterImage))) {
        const Rect bounds = window->Bounds;
        detail::SetBounds(*window, {bounds.Left, bounds.Top, bounds.Left + pixels->Width,
                                    bounds.Top + pixels->Height});
    }
    detail::Changed();
    return previous;
}

Bitmap Static::GetBitmap() const {
    const auto* picture = detail::FindState<detail::PictureState>(Handle());
    return picture ? picture->Image : nullptr;
}

Bitmap LoadBitmapA(int resourceId) {
    return detail::LoadModuleBitmap(resourceId);
}

} // namespace ui
