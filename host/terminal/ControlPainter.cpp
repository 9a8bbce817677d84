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
    const bool marked = window == context.EnterButton;
    const std::string label = ShownLabel(info.Text);
    const std::string shown = marked ? "[[ " + label + " ]]" : "[ " + label + " ]";
    std::uint8_t attrs = marked ? kBold : kNormal;
    if (look.Focused)
        attrs |= kReverse;
    attrs = Enabled(look.Enabled, attrs);
    const int width = Length(shown);
    const int x = cells.Left + std::max(0, (cells.Width() - width) / 2);
    const int y = cells.Top + (cells.Height() - 1) / 2;
    context.Buffer.Fill(cells, U' ', kNormal);
    context.Buffer.Text(x, y, shown, attrs);
    context.Hits.Add({cells, HitPart::Window, window, nullptr, 0});
}

void PaintRadioButton(PaintContext& context, ui::WindowHandle window,
                      const desktop::WindowInfo& info, const CellRect& cells, ControlLook look) {
    const bool checked = ui::Button(window).GetCheck() == BST_CHECKED;
    CellBuffer& buffer = context.Buffer;
    const int y = cells.Top + (cells.Height() - 1) / 2;
    // The focus shows on the mark and the label alike.
    const std::uint8_t attrs = Enabled(look.Enabled, look.Focused ? kReverse : kNormal);
    buffer.Text(cells.Left, y, checked ? "(*)" : "( )", attrs);
    const std::string label = ShownLabel(info.Text);
    int right = cells.Left + 3;
    if (!label.empty())
        right = buffer.Text(cells.Left + 4, y, label, attrs);
    context.Hits.Add({CellRect{cells.Left, y, std::max(right, cells.Right), y + 1}, HitPart::Window,
                      window, nullptr, 0});
}

void PaintGroupBox(PaintContext& context, const desktop::WindowInfo& info, const CellRect& cells) {
    const std::uint8_t attrs = Enabled(info.Enabled, kNormal);
    context.Buffer.Box(cells, attrs);
    const std::string label = ShownLabel(info.Text);
    if (!label.empty() && cells.Width() > 4)
        context.Buffer.Text(cells.Left + 1, cells.Top, " " + label + " ", attrs, cells.Width() - 2);
}

void PaintText(PaintContext& context, const desktop::WindowInfo& info, const CellRect& cells) {
    CellBuffer& buffer = context.Buffer;
    buffer.Fill(cells, U' ', kNormal);
    CellRect inner = cells;
    const bool sunken = (info.Style & kSunken) != 0;
    std::uint8_t attrs = Enabled(info.Enabled, kNormal);
    if (sunken && cells.Height() >= 3 && cells.Width() >= 3) {
        buffer.Box(cells, kNormal);
        inner = CellRect{cells.Left + 1, cells.Top + 1, cells.Right - 1, cells.Bottom - 1};
    } else if (sunken) {
        // Too low for a frame: the field is underlined instead.
        attrs |= kUnderline;
        buffer.Fill(CellRect{cells.Left, cells.Top, cells.Right, cells.Top + 1}, U' ', attrs);
    }
    const std::uint32_t align = info.Style & kAlignMask;
    const std::vector<std::string> lines = WrapLines(info.Text, inner.Width());
    // A one-line label a little wider than its place (the dialog font is narrower than a
    // cell) goes on over the blank cells after it.
    if (!sunken && align == 0 && inner.Height() == 1 && lines.size() > 1 &&
        info.Text.find('\n') == std::string::npos) {
        int x = buffer.Text(inner.Left, inner.Top, info.Text, attrs, inner.Width());
        for (std::size_t i = static_cast<std::size_t>(inner.Width()); i < info.Text.size();
             ++i, ++x) {
            if (!buffer.Clip().Contains(x, inner.Top) || buffer.At(x, inner.Top).Ch != U' ')
                break;
            buffer.Text(x, inner.Top, info.Text.substr(i, 1), attrs);
        }
        return;
    }
    for (int row = 0; row < inner.Height() && row < static_cast<int>(lines.size()); ++row) {
        const std::string& line = lines[static_cast<std::size_t>(row)];
        int x = inner.Left;
        if (align == 1)
            x += std::max(0, (inner.Width() - Length(line)) / 2);
        else if (align == 2)
            x += std::max(0, inner.Width() - Length(line));
        buffer.Text(x, inner.Top + row, line, attrs, inner.Right - x);
    }
}

void PaintComboBox(PaintContext& context, ui::WindowHandle window, const desktop::WindowInfo& info,
                   const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.Buffer;
    const int y = cells.Top;
    const int arrowLeft = std::max(cells.Left, cells.Right - 3);
    const CellRect field{cells.Left, y, arrowLeft, y + 1};
    std::uint8_t attrs = look.Focused ? kReverse : kUnderline;
    attrs = Enabled(look.Enabled, attrs);
    buffer.Fill(field, U' ', attrs);
    buffer.Text(field.Left, y, desktop::ComboEditText(window), attrs, field.Width());
    buffer.Text(arrowLeft, y, "[v]", Enabled(info.Enabled, kNormal), cells.Right - arrowLeft);
    context.Hits.Add({field, HitPart::Window, window, nullptr, 0});
    context.Hits.Add(
        {CellRect{arrowLeft, y, cells.Right, y + 1}, HitPart::ComboButton, window, nullptr, 0});
}

CellRect ComboListCells(const CellRect& comboCells, int itemCount, int screenRows) {
    // The resource's height is that of the field with its list dropped.
    const int capacity = std::max(1, comboCells.Height() - 3);
    const int wanted = std::max(1, std::min(itemCount, capacity)) + 2;
    const int below = screenRows - (comboCells.Top + 1);
    const int above = comboCells.Top;
    int height = wanted;
    bool down = true;
    if (wanted > below) {
        down = wanted > above && below >= above;
        height = std::min(wanted, down ? below : above);
    }
    const int top = down ? comboCells.Top + 1 : comboCells.Top - height;
    return CellRect{comboCells.Left, top, comboCells.Right, top + height};
}

void PaintComboList(PaintContext& context) {
    const ComboList& list = context.View.List;
    if (!list.Combo || !desktop::IsReallyVisible(list.Combo))
        return;
    const ui::ComboBox combo(list.Combo);
    const int count = combo.GetCount();
    const CellRect cells =
        ComboListCells(WindowCells(context.Map, list.Combo), count, context.Buffer.Rows());
    CellBuffer& buffer = context.Buffer;
    buffer.Fill(cells, U' ', kNormal);
    buffer.Box(cells, kNormal);
    context.Hits.Add({cells, HitPart::Blocker, list.Combo, nullptr, 0});
    const int rows = cells.Height() - 2;
    for (int row = 0; row < rows && list.Top + row < count; ++row) {
        const int index = list.Top + row;
        const CellRect line{cells.Left + 1, cells.Top + 1 + row, cells.Right - 1,
                            cells.Top + 2 + row};
        const std::uint8_t attrs = index == list.Highlighted ? kReverse : kNormal;
        buffer.Fill(line, U' ', attrs);
        buffer.Text(line.Left, line.Top, combo.GetLBText(index), attrs, line.Width());
        context.Hits.Add({line, HitPart::ComboItem, list.Combo, nullptr, index});
    }
}

void PaintTabControl(PaintContext& context, ui::WindowHandle window,
                     const desktop::WindowInfo& info, const CellRect& cells, ControlLook look) {
    CellBuffer& buffer = context.Buffer;
    const ui::TabControl tabs(window);
    const int current = tabs.GetCurSel();
    buffer.Fill(cells, U' ', kNormal);
    buffer.Box(cells, kNormal);

    // The labels sit in the top line of the frame, so that the pages keep the rows below
    // it; the current tab is bracketed and bold, and in reverse video when the tab control
    // has the focus.
    int x = cells.Left + 1;
    for (int index = 0; index < tabs.GetItemCount(); ++index) {
        const bool selected = index == current;
        const std::string label = ShownLabel(tabs.GetItemText(index));
        const std::string shown = selected ? "[" + label + "]" : " " + label + " ";
        std::uint8_t attrs = selected ? kBold : kNormal;
        if (selected && look.Focused)
            attrs |= kReverse;
        attrs = Enabled(info.Enabled, attrs);
        const int start = x;
        x = buffer.Text(start, cells.Top, shown, attrs, cells.Right - 1 - start);
        context.Hits.Add(
            {CellRect{start, cells.Top, x, cells.Top + 1}, HitPart::Tab, window, nullptr, index});
        ++x; // a line between the tabs
    }
}

} // namespace terminal
