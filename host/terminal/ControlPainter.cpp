#include "host/terminal/ControlPainter.h"

#include <algorithm>
#include <string>
#include <vector>

#include "host/terminal/TextWrap.h"
#include "platform/Button.h"
#include "platform/ComboBox.h"
#include "platform/TabControl.h"

namespace terminal {
namespace {

namespace desktop = ui::desktop;

constexpr std::uint32_t kAlignMask = 0x0003; // SS_LEFT 0, SS_CENTER 1, SS_RIGHT 2
constexpr std::uint32_t kSunken = 0x1000;    // SS_SUNKEN

std::uint8_t Enabled(bool enabled, std::uint8_t attrs) {
    return enabled ? attrs : static_cast<std::uint8_t>(attrs | kDim);
}

int Length(std::string_view text) {
    return static_cast<int>(text.size());
}

} // namespace

std::string ShownLabel(std::string_view text) {
    std::string shown;
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '&' && i + 1 < text.size())
            ++i;
        shown += text[i];
    }
    return shown;
}

void PaintPushButton(PaintContext& context, ui::WindowHandle window,
                     const desktop::WindowInfo& info, const CellRect& cells, ControlLook look) {
    const bool marked = window == context.enterButton;
    const std::string label = ShownLabel(info.Text);
    const std::string shown = marked ? "[[ " + label + " ]]" : "[ " + label + " ]";
    std::uint8_t attrs = marked ? kBold : kNormal;
    if (look.focused)
        attrs |= kReverse;
    attrs = Enabled(look.enabled, attrs);
    const int width = Length(shown);
    const int x = cells.left + std::max(0, (cells.Width() - width) / 2);
    const int y = cells.top + (cells.Height() - 1) / 2;
    context.buffer.Fill(cells, U' ', kNormal);
    context.buffer.Text(x, y, shown, attrs);
    context.hits.Add({cells, HitPart::Window, window, nullptr, 0});
}

void PaintRadioButton(PaintContext& context, ui::WindowHandle window,
                      const desktop::WindowInfo& info, const CellRect& cells, ControlLook look) {
    const bool checked = ui::Button(window).GetCheck() == BST_CHECKED;
    CellBuffer& buffer = context.buffer;
    const int y = cells.top + (cells.Height() - 1) / 2;
    // The focus shows on the mark and the label alike.
    const std::uint8_t attrs = Enabled(look.enabled, look.focused ? kReverse : kNormal);
    buffer.Text(cells.left, y, checked ? "(*)" : "( )", attrs);
    const std::string label = ShownLabel(info.Text);
    int right = cells.left + 3;
    if (!label.empty())
        right = buffer.Text(cells.left + 4, y, label, attrs);
    context.hits.Add({CellRect{cells.left, y, std::max(right, cells.right), y + 1}, HitPart::Window,
                      window, nullptr, 0});
}

void PaintGroupBox(PaintContext& context, const desktop::WindowInfo& info, const CellRect& cells) {
    const std::uint8_t attrs = Enabled(info.Enabled, kNormal);
    context.buffer.Box(cells, attrs);
    const std::string label = ShownLabel(info.Text);
    if (!label.empty() && cells.Width() > 4)
        context.buffer.Text(cells.left + 1, cells.top, " " + label + " ", attrs, cells.Width() - 2);
}

void PaintText(PaintContext& context, const desktop::WindowInfo& info, const CellRect& cells) {
    CellBuffer& buffer = context.buffer;
    buffer.Fill(cells, U' ', kNormal);
    CellRect inner = cells;
    const bool sunken = (info.Style & kSunken) != 0;
    std::uint8_t attrs = Enabled(info.Enabled, kNormal);
    if (sunken && cells.Height() >= 3 && cells.Width() >= 3) {
        buffer.Box(cells, kNormal);
        inner = CellRect{cells.left + 1, cells.top + 1, cells.right - 1, cells.bottom - 1};
    } else if (sunken) {
        // Too low for a frame: the field is underlined instead.
        attrs |= kUnderline;
        buffer.Fill(CellRect{cells.left, cells.top, cells.right, cells.top + 1}, U' ', attrs);
    }
    const std::uint32_t align = info.Style & kAlignMask;
    const std::vector<std::string> lines = WrapLines(info.Text, inner.Width());
    // A one-line label a little wider than its place (the dialog font is narrower than a
    // cell) goes on over the blank cells after it.
    if (!sunken && align == 0 && inner.Height() == 1 && lines.size() > 1 &&
        info.Text.find('\n') == std::string::npos) {
        int x = buffer.Text(inner.left, inner.top, info.Text, attrs, inner.Width());
        for (std::size_t i = static_cast<std::size_t>(inner.Width()); i < info.Text.size();
             ++i, ++x) {
            if (!buffer.Clip().Contains(x, inner.top) || buffer.At(x, inner.top).ch != U' ')
                break;
            buffer.Text(x, inner.top, info.Text.substr(i, 1), attrs);
        }
        return;
    }
    for (int row = 0; row < inner.Height() && row < static_cast<int>(lines.size()); ++row) {
        const std::string& line = lines[static_cast<std::size_t>(row)];
        int x = inner.left;
        if (align == 1)
            x += std::max(0, (inner.Width() - Length(line)) / 2);
        else if (align == 2)
            x += std::max(0, inner.Width() - Length(line));
        buffer.Text(x, inner.top + row, line, attrs, inner.right - x);
    }
}

void PaintComboBox(PaintContext& context, ui::WindowHandle window, const desktop::WindowInfo& info,
                   const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.buffer;
    const int y = cells.top;
    const int arrowLeft = std::max(cells.left, cells.right - 3);
    const CellRect field{cells.left, y, arrowLeft, y + 1};
    std::uint8_t attrs = look.focused ? kReverse : kUnderline;
    attrs = Enabled(look.enabled, attrs);
    buffer.Fill(field, U' ', attrs);
    buffer.Text(field.left, y, desktop::ComboEditText(window), attrs, field.Width());
    buffer.Text(arrowLeft, y, "[v]", Enabled(info.Enabled, kNormal), cells.right - arrowLeft);
    context.hits.Add({field, HitPart::Window, window, nullptr, 0});
    context.hits.Add(
        {CellRect{arrowLeft, y, cells.right, y + 1}, HitPart::ComboButton, window, nullptr, 0});
}

CellRect ComboListCells(const CellRect& comboCells, int itemCount, int screenRows) {
    // The resource's height is that of the field with its list dropped.
    const int capacity = std::max(1, comboCells.Height() - 3);
    const int wanted = std::max(1, std::min(itemCount, capacity)) + 2;
    const int below = screenRows - (comboCells.top + 1);
    const int above = comboCells.top;
    int height = wanted;
    bool down = true;
    if (wanted > below) {
        down = wanted > above && below >= above;
        height = std::min(wanted, down ? below : above);
    }
    const int top = down ? comboCells.top + 1 : comboCells.top - height;
    return CellRect{comboCells.left, top, comboCells.right, top + height};
}

void PaintComboList(PaintContext& context) {
    const ComboList& list = context.view.list;
    if (!list.combo || !desktop::IsReallyVisible(list.combo))
        return;
    const ui::ComboBox combo(list.combo);
    const int count = combo.GetCount();
    const CellRect cells =
        ComboListCells(WindowCells(context.map, list.combo), count, context.buffer.Rows());
    CellBuffer& buffer = context.buffer;
    buffer.Fill(cells, U' ', kNormal);
    buffer.Box(cells, kNormal);
    context.hits.Add({cells, HitPart::Blocker, list.combo, nullptr, 0});
    const int rows = cells.Height() - 2;
    for (int row = 0; row < rows && list.top + row < count; ++row) {
        const int index = list.top + row;
        const CellRect line{cells.left + 1, cells.top + 1 + row, cells.right - 1,
                            cells.top + 2 + row};
        const std::uint8_t attrs = index == list.highlighted ? kReverse : kNormal;
        buffer.Fill(line, U' ', attrs);
        buffer.Text(line.left, line.top, combo.GetLBText(index), attrs, line.Width());
        context.hits.Add({line, HitPart::ComboItem, list.combo, nullptr, index});
    }
}

void PaintTabControl(PaintContext& context, ui::WindowHandle window,
                     const desktop::WindowInfo& info, const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.buffer;
    const ui::TabControl tabs(window);
    const int current = tabs.GetCurSel();
    buffer.Fill(cells, U' ', kNormal);
    buffer.Box(cells, kNormal);

    // The labels sit in the top line of the frame, so that the pages keep the rows below
    // it; the current tab is bracketed and bold, and in reverse video when the tab control
    // has the focus.
    int x = cells.left + 1;
    for (int index = 0; index < tabs.GetItemCount(); ++index) {
        const bool selected = index == current;
        const std::string label = ShownLabel(tabs.GetItemText(index));
        const std::string shown = selected ? "[" + label + "]" : " " + label + " ";
        std::uint8_t attrs = selected ? kBold : kNormal;
        if (selected && look.focused)
            attrs |= kReverse;
        attrs = Enabled(info.Enabled, attrs);
        const int start = x;
        x = buffer.Text(start, cells.top, shown, attrs, cells.right - 1 - start);
        context.hits.Add(
            {CellRect{start, cells.top, x, cells.top + 1}, HitPart::Tab, window, nullptr, index});
        ++x; // a line between the tabs
    }
}

} // namespace terminal
