#include <windows.h>

#include "platform/ComboBox.h"
#include "platform/windows/Module.h"

namespace ui {

int ComboBox::AddString(std::string_view text) const {
    const std::string terminated(text);
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), CB_ADDSTRING, 0,
                                         reinterpret_cast<LPARAM>(terminated.c_str())));
}

int ComboBox::GetCount() const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), CB_GETCOUNT, 0, 0));
}

std::string ComboBox::GetLBText(int index) const {
    const LRESULT length = SendMessageA(win::ToHwnd(Handle()), CB_GETLBTEXTLEN, index, 0);
    if (length == CB_ERR)
        return {};
    std::string text(static_cast<std::size_t>(length) + 1, '\0');
    const LRESULT copied = SendMessageA(win::ToHwnd(Handle()), CB_GETLBTEXT, index,
                                        reinterpret_cast<LPARAM>(text.data()));
    text.resize(copied == CB_ERR ? 0 : static_cast<std::size_t>(copied));
    return text;
}

int ComboBox::GetCurSel() const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), CB_GETCURSEL, 0, 0));
}

int ComboBox::SetCurSel(int index) const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), CB_SETCURSEL, index, 0));
}

} // namespace ui
