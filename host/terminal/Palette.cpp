#include "host/terminal/Palette.h"

#include <array>
#include <cstdlib>

namespace terminal {
namespace {

int Distance(Rgb a, Rgb b) {
    const int dr = a.R - b.R;
    const int dg = a.G - b.G;
    const int db = a.B - b.B;
    // Weighted for the eye's greater sensitivity to green.
    return 2 * dr * dr + 4 * dg * dg + 3 * db * db;
}

constexpr std::array<Rgb, 8> kBasic{{{0, 0, 0},
                                     {205, 0, 0},
                                     {0, 205, 0},
                                     {205, 205, 0},
                                     {0, 0, 238},
                                     {205, 0, 205},
                                     {0, 205, 205},
                                     {229, 229, 229}}};

constexpr std::array<int, 6> kCubeLevels{0, 95, 135, 175, 215, 255};

int NearestCubeLevel(int value) {
    int best = 0;
    for (int i = 1; i < 6; ++i)
        if (std::abs(kCubeLevels[i] - value) < std::abs(kCubeLevels[best] - value))
            best = i;
    return best;
}

} // namespace

ColourMode ChooseColourMode(bool hasColours, int colourCount, std::string_view colorTerm) {
    if (!hasColours || colourCount < 8)
        return ColourMode::Monochrome;
    if (colorTerm == "truecolor" || colorTerm == "24bit")
        return ColourMode::TrueColour;
    return colourCount >= 256 ? ColourMode::Colours256 : ColourMode::Colours8;
}

int NearestBasicColour(Rgb colour) {
    int best = 0;
    for (int i = 1; i < 8; ++i)
        if (Distance(colour, kBasic[i]) < Distance(colour, kBasic[best]))
            best = i;
    return best;
}

int Nearest256Colour(Rgb colour) {
    const int r = NearestCubeLevel(colour.R);
    const int g = NearestCubeLevel(colour.G);
    const int b = NearestCubeLevel(colour.B);
    const Rgb cube{static_cast<std::uint8_t>(kCubeLevels[r]),
                   static_cast<std::uint8_t>(kCubeLevels[g]),
                   static_cast<std::uint8_t>(kCubeLevels[b])};
    const int cubeIndex = 16 + 36 * r + 6 * g + b;

    // The grey ramp runs from 8 to 238 in steps of 10.
    const int average = (colour.R + colour.G + colour.B) / 3;
    int step = (average - 8 + 5) / 10;
    step = step < 0 ? 0 : (step > 23 ? 23 : step);
    const auto level = static_cast<std::uint8_t>(8 + 10 * step);
    const Rgb grey{level, level, level};
    return Distance(colour, grey) < Distance(colour, cube) ? 232 + step : cubeIndex;
}

} // namespace terminal
