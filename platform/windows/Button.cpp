#include <windows.h>

#include "platform/Button.h"
#include "platform/windows/Module.h"

namespace ui {

int Button::GetCheck() const {
    return static_cast<int>(SendMessageA(win::ToHwnd(Handle()), BM_GETCHECK, 0, 0));
}

void Button::SetCheck(int state) const {
    SendMessageA(win::ToHwnd(Handle()), BM_SETCHECK, state, 0);
}

} // namespace ui
