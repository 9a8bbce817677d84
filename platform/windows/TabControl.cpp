#include <windows.h>

#include <commctrl.h>

#include "platform/TabControl.h"
#include "platform/windows/Module.h"

namespace ui {
namespace {

constexpr int kMaxTabText = 256;

} // namespace

int TabControl::InsertItem(int index, std::string_view text) const {
    std::string terminated(text);
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = terminated.data();
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), TCM_INSERTITEMA, index,
                                         reinterpret_cast<LPARAM>(&item)));
}

int TabControl::GetItemCount() const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), TCM_GETITEMCOUNT, 0, 0));
}

std::string TabControl::GetItemText(int index) const {
    char text[kMaxTabText] = {};
    TCITEMA item{};
    item.mask = TCIF_TEXT;
    item.pszText = text;
    item.cchTextMax = kMaxTabText;
    if (!SendMessageA(win::ToHwnd(Handle()), TCM_GETITEMA, index, reinterpret_cast<LPARAM>(&item)))
        return {};
    return item.pszText ? std::string(item.pszText) : std::string();
}

int TabControl::GetCurSel() const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), TCM_GETCURSEL, 0, 0));
}

int TabControl::SetCurSel(int index) const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), TCM_SETCURSEL, index, 0));
}

} // namespace ui
