// What the Linux and the Windows library loader share.
#include "host/Library.h"

#include <algorithm>

namespace host {

Window Library::CurrentWindow() const {
    const std::vector<Window> windows = VisibleWindows();
    if (windows.empty())
        return nullptr;
    const Window active = PlatformUserActions().ActiveWindow();
    const auto found = std::find(windows.begin(), windows.end(), active);
    return found != windows.end() ? *found : windows.back();
}

} // namespace host
