#include "host/terminal/TreePainter.h"

#include <string>

namespace terminal {
namespace {

namespace desktop = ui::desktop;

constexpr int kIndent = 2; // columns per level; a button is 3 columns wide

// Whether an item at this depth has a sibling below it: the next row at its depth or
// above is at its depth.
bool HasLaterSibling(const std::vector<desktop::TreeRow>& rows, std::size_t index, int depth) {
    for (std::size_t next = index + 1; next < rows.size(); ++next) {
        if (rows[next].Depth < depth)
            return false;
        if (rows[next].Depth == depth)
            return true;
    }
    return false;
}

} // namespace

std::vector<TreeRowLayout> LayOutTree(const std::vector<desktop::TreeRow>& rows) {
    std::vector<TreeRowLayout> layouts;
    layouts.reserve(rows.size());
    for (std::size_t index = 0; index < rows.size(); ++index) {
        const int depth = rows[index].Depth;
        TreeRowLayout layout;
        layout.buttonColumn = kIndent * depth;
        layout.textColumn = layout.buttonColumn + 3;
        layout.lines.assign(static_cast<std::size_t>(layout.buttonColumn), U' ');
        // The line of each ancestor level that goes on below this row: it sits under the
        // middle of that level's buttons.
        for (int level = 1; level < depth; ++level)
            if (HasLaterSibling(rows, index, level))
                layout.lines[static_cast<std::size_t>(kIndent * level - 1)] = glyph::kVLine;
        if (depth > 0)
            layout.lines[static_cast<std::size_t>(kIndent * depth - 1)] =
                HasLaterSibling(rows, index, depth) ? glyph::kTeeRight : glyph::kBottomLeft;
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

void PaintTree(PaintContext& context, ui::WindowHandle window, const desktop::WindowInfo& info,
               const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.buffer;
    buffer.Fill(cells, U' ', kNormal);
    const bool bordered = (info.Style & 0x00800000u) != 0; // WS_BORDER
    CellRect inner = cells;
    if (bordered && cells.Width() >= 3 && cells.Height() >= 3) {
        buffer.Box(cells, look.focused ? kBold : kNormal);
        inner = CellRect{cells.left + 1, cells.top + 1, cells.right - 1, cells.bottom - 1};
    }
    context.hits.Add({inner, HitPart::Blocker, window, nullptr, 0});
    const std::uint8_t base = look.enabled ? kNormal : kDim;

    const std::vector<desktop::TreeRow> rows = desktop::VisibleTreeRows(window);
    const std::vector<TreeRowLayout> layouts = LayOutTree(rows);
    const int top = desktop::TreeScrollTop(window);
    buffer.PushClip(inner);
    for (int line = 0; line < inner.Height(); ++line) {
        const auto index = static_cast<std::size_t>(top + line);
        if (top + line < 0 || index >= rows.size())
            break;
        const desktop::TreeRow& row = rows[index];
        const TreeRowLayout& layout = layouts[index];
        const int y = inner.top + line;
        int x = inner.left;
        for (const char32_t ch : layout.lines)
            buffer.Put(x++, y, ch, base);
        const int buttonX = inner.left + layout.buttonColumn;
        if (row.HasChildren) {
            buffer.Text(buttonX, y, row.Expanded ? "[-]" : "[+]", base);
            context.hits.Add({CellRect{buttonX, y, buttonX + 3, y + 1}, HitPart::TreeButton, window,
                              row.Item, 0});
        } else {
            buffer.HLine(buttonX, y, 2, base);
        }
        const int textX = inner.left + layout.textColumn;
        std::uint8_t attrs = base;
        if (row.Selected)
            attrs |= look.focused ? kReverse : kUnderline | kBold;
        buffer.Text(textX, y, row.Text, attrs);
        context.hits.Add(
            {CellRect{textX, y, inner.right, y + 1}, HitPart::TreeRow, window, row.Item, 0});
    }
    buffer.PopClip();
}

} // namespace terminal
