#include <windows.h>

#include "platform/Static.h"
#include "platform/windows/Module.h"

namespace ui {
namespace {

HBITMAP ToBitmap(Bitmap bitmap) {
    return reinterpret_cast<HBITMAP>(bitmap);
}
Bitmap FromBitmap(HANDLE bitmap) {
    return reinterpret_cast<Bitmap>(bitmap);
}

} // namespace

Bitmap Static::SetBitmap(Bitmap bitmap) const {
    return FromBitmap(
        reinterpret_cast<HANDLE>(SendMessageA(win::ToHwnd(Handle()), STM_SETIMAGE, IMAGE_BITMAP,
                                              reinterpret_cast<LPARAM>(ToBitmap(bitmap)))));
}

Bitmap Static::GetBitmap() const {
    return FromBitmap(reinterpret_cast<HANDLE>(
        SendMessageA(win::ToHwnd(Handle()), STM_GETIMAGE, IMAGE_BITMAP, 0)));
}

Bitmap LoadBitmapA(int resourceId) {
    return FromBitmap(::LoadBitmapA(win::ResourceModule(), MAKEINTRESOURCEA(resourceId)));
}

} // namespace ui
