#include "host/terminal/SizeCheck.h"

#include <algorithm>
#include <string>

#include "host/terminal/TextWrap.h"
#include "platform/linux/Desktop.h"

namespace terminal {

namespace desktop = ui::desktop;

SizeNeed NeededSize(const ScreenMap& map) {
    SizeNeed need;
    for (const ui::WindowHandle window : desktop::TopLevelWindows()) {
        if (!desktop::IsReallyVisible(window))
            continue;
        const desktop::WindowInfo info = desktop::Inspect(window);
        if (info.Kind == desktop::Kind::Frame)
            continue;
        const CellRect cells = map.ToCells(info.ScreenRect);
        need.Columns = std::max(need.Columns, cells.Right);
        need.Rows = std::max(need.Rows, cells.Bottom);
    }
    return need;
}

bool TooSmall(int columns, int rows) {
    return columns < kMinimumSize.Columns || rows < kMinimumSize.Rows;
}

void PaintSizeRequest(CellBuffer& buffer) {
    buffer.Clear();
    const std::string text = "The terminal is " + std::to_string(buffer.Columns()) + " by " +
                             std::to_string(buffer.Rows()) + " characters; the window needs " +
                             std::to_string(kMinimumSize.Columns) + " by " +
                             std::to_string(kMinimumSize.Rows) +
                             ".\nMake it larger, or press q or Esc to quit (Ctrl-C also quits).";
    const std::vector<std::string> lines = WrapLines(text, std::max(1, buffer.Columns() - 2));
    const int top = std::max(0, (buffer.Rows() - static_cast<int>(lines.size())) / 2);
    for (std::size_t i = 0; i < lines.size(); ++i) {
        const int width = static_cast<int>(lines[i].size());
        buffer.Text(std::max(0, (buffer.Columns() - width) / 2), top + static_cast<int>(i),
                    lines[i], kBold);
    }
}

} // namespace terminal
