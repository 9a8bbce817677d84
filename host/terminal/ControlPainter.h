// Paints the simple controls: push and radio buttons, group boxes, static texts, the
// drop-down combo box with its open list, and the tab control.
#pragma once

#include "host/terminal/WindowPainter.h"
#include "platform/linux/Desktop.h"

namespace terminal {

struct ControlLook {
    bool Focused = false;
    bool Enabled = true;
};

void PaintPushButton(PaintContext& context, ui::WindowHandle window,
                     const ui::desktop::WindowInfo& info, const CellRect& cells, ControlLook look);
void PaintRadioButton(PaintContext& context, ui::WindowHandle window,
                      const ui::desktop::WindowInfo& info, const CellRect& cells, ControlLook look);
void PaintGroupBox(PaintContext& context, const ui::desktop::WindowInfo& info,
                   const CellRect& cells);
void PaintText(PaintContext& context, const ui::desktop::WindowInfo& info, const CellRect& cells);
void PaintComboBox(PaintContext& context, ui::WindowHandle window,
                   const ui::desktop::WindowInfo& info, const CellRect& cells, ControlLook look);
void PaintTabControl(PaintContext& context, ui::WindowHandle window,
                     const ui::desktop::WindowInfo& info, const CellRect& cells, ControlLook look);
// The open list of ViewState::list, when there is one, above everything else.
void PaintComboList(PaintContext& context);

// Where the open list of a combo box goes: below its edit field when it fits on the
// screen, else above it, else on the side with more room (showing fewer items).
CellRect ComboListCells(const CellRect& comboCells, int itemCount, int screenRows);

// A button's text as shown: '&' marks the next letter as the mnemonic, "&&" is an '&'.
std::string ShownLabel(std::string_view text);

} // namespace terminal
