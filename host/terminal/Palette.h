// The terminal's colour capability and the nearest colour it can show for an exact one.
#pragma once

#include <string_view>

#include "host/terminal/CellBuffer.h"

namespace terminal {

enum class ColourMode { Monochrome, Colours8, Colours256, TrueColour };

// From what the terminal reports (its colour count) and the COLORTERM variable.
ColourMode ChooseColourMode(bool hasColours, int colourCount, std::string_view colorTerm);

// The index of the nearest colour: 0 to 7 of the basic colours, or 16 to 255 of the
// 256-colour cube and grey ramp.
int NearestBasicColour(Rgb colour);
int Nearest256Colour(Rgb colour);

} // namespace terminal
