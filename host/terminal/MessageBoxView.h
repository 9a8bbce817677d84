// The message box presenter: a modal box centred over its owner (over the screen when it
// has none) with its caption, text, icon mark and buttons, answered with the keyboard or
// the mouse while nothing else takes input.
#pragma once

#include <functional>
#include <string>
#include <vector>

#include "host/terminal/CellBuffer.h"
#include "host/terminal/CursesScreen.h"
#include "host/terminal/HitMap.h"
#include "platform/linux/Desktop.h"

namespace terminal {

struct MessageBoxLayout {
    CellRect Box;
    std::vector<std::string> Lines;
    int TextLeft = 0;
    int TextTop = 0;
    std::vector<CellRect> Buttons; // OK, then Cancel when the box has it
    bool Complete = true;          // the screen holds the whole box, every line of its text
};

// The box for a request, centred over `over` and kept on a screen of columns by rows.
MessageBoxLayout LayOutMessageBox(const ui::desktop::MessageBoxRequest& request,
                                  const CellRect& over, int columns, int rows);

class MessageBoxView {
public:
    // Paints what lies below the box into the buffer (and its zones, which the box covers).
    using PaintBelow = std::function<void(CellBuffer&, HitMap&)>;

    // Where cells of the windows are on the screen (they may be scrolled).
    using ToScreen = std::function<CellRect(const CellRect&)>;

    MessageBoxView(CursesScreen& screen, PaintBelow paintBelow, ToScreen toScreen)
        : screen_(screen), paintBelow_(std::move(paintBelow)), toScreen_(std::move(toScreen)) {}

    // Shows the box until it is answered; IDOK or IDCANCEL. An interrupt (Ctrl-C or a
    // signal) answers as Escape does and sets `interrupted`. On a terminal below the
    // smallest size the box is shown alone when it fits whole, else the request for a
    // larger terminal is shown instead, and then only its ways out work (q, Esc,
    // Ctrl-C: an interrupt).
    int Present(const ui::desktop::MessageBoxRequest& request, bool& interrupted);

private:
    // Whether the box is on the screen.
    bool Paint(const ui::desktop::MessageBoxRequest& request, int focusedButton);

    CursesScreen& screen_;
    PaintBelow paintBelow_;
    ToScreen toScreen_;
    CellBuffer buffer_;
    HitMap hits_;
};

} // namespace terminal
