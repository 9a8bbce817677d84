// The terminal through ncurses: starting and ending the screen, showing a cell buffer
// (pictures in exact colours where the terminal has 24-bit colour) and reading keys and
// mouse presses.
#pragma once

#include <optional>
#include <string>

#include "host/terminal/CellBuffer.h"
#include "host/terminal/Key.h"
#include "host/terminal/Palette.h"

struct screen;

namespace terminal {

class CursesScreen {
public:
    CursesScreen() = default;
    ~CursesScreen();
    CursesScreen(const CursesScreen&) = delete;
    CursesScreen& operator=(const CursesScreen&) = delete;

    // Takes over the terminal on standard input and output; the reason when it cannot.
    std::optional<std::string> Start();
    // Gives the terminal back as it was. Safe to call more than once.
    void Stop();
    bool Started() const { return screen_ != nullptr; }

    int Columns() const;
    int Rows() const;
    ColourMode Colours() const { return colours_; }
    bool Unicode() const { return unicode_; }

    // Shows the buffer, with the cursor at the cell (or hidden when there is none).
    void Show(const CellBuffer& buffer, std::optional<std::pair<int, int>> cursor);
    // Repaints the whole terminal on the next Show (after something else wrote to it).
    void Invalidate();
    // Waits up to timeoutMs (negative: without limit) for a key.
    Key ReadKey(int timeoutMs);

private:
    void Blit(const CellBuffer& buffer);
    void OverlayTrueColour(const CellBuffer& buffer, std::optional<std::pair<int, int>> cursor);
    int PairFor(const Cell& cell);

    struct screen* screen_ = nullptr;
    ColourMode colours_ = ColourMode::Monochrome;
    bool unicode_ = false;
};

} // namespace terminal
