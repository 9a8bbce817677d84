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
        layout.ButtonColumn = kIndent * depth;
        layout.TextColumn = layout.ButtonColumn + 3;
        layout.Lines.assign(static_cast<std::size_t>(layout.ButtonColumn), U' ');
        // The line of each ancestor level that goes on below this row: it sits under the
        // middle of that level's buttons.
        for (int level = 1; level < depth; ++level)
            if (HasLaterSibling(rows, index, level))
                layout.Lines[static_cast<std::size_t>(kIndent * level - 1)] = glyph::kVLine;
        if (depth > 0)
            layout.Lines[static_cast<std::size_t>(kIndent * depth - 1)] =
                HasLaterSibling(rows, index, depth) ? glyph::kTeeRight : glyph::kBottomLeft;
        layouts.push_back(std::move(layout));
    }
    return layouts;
}

void PaintTree(PaintContext& context, ui::WindowHandle window, const desktop::WindowInfo& info,
               const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.Buffer;
    buffer.Fill(cells, U' ', kNormal);
    const bool bordered = (info.Style & 0x00800000u) != 0; // WS_BORDER
    CellRect inner = cells;
    if (bordered && cells.Width() >= 3 && cells.Height() >= 3) {
        buffer.Box(cells, look.Focused ? kBold : kNormal);
        inner = CellRect{cells.Left + 1, cells.Top + 1, cells.Right - 1, cells.Bottom - 1};
    }
    context.Hits.Add({inner, HitPart::Blocker, window, nullptr, 0});
    const std::uint8_t base = look.Enabled ? kNormal : kDim;

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
        const int y = inner.Top + line;
        int x = inner.Left;
        for (const char32_t ch : layout.Lines)
            buffer.Put(x++, y, ch, base);
        const int buttonX = inner.Left + layout.ButtonColumn;
        if (row.HasChildren) {
            buffer.Text(buttonX, y, row.Expanded ? "[-]" : "[+]", base);
            context.Hits.Add({CellRect{buttonX, y, buttonX + 3, y + 1}, HitPart::TreeButton, window,
                              row.Item, 0});
        } else {
            buffer.HLine(buttonX, y, 2, base);
        }
        const int textX = inner.Left + layout.TextColumn;
        std::uint8_t attrs = base;
        if (row.Selected)
            attrs |= look.Focused ? kReverse : kUnderline | kBold;
        buffer.Text(textX, y, row.Text, attrs);
        context.Hits.Add(
            {CellRect{textX, y, inner.Right, y + 1}, HitPart::TreeRow, window, row.Item, 0});
    }
    buffer.PopClip();
}

} // namespace terminal
