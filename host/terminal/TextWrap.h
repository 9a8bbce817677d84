// Breaking a text into the lines of a field of a given width.
#pragma once

#include <string>
#include <string_view>
#include <vector>

namespace terminal {

// The text broken into lines at line feeds and, between words, at the width (a word
// longer than the width is cut). Carriage returns are dropped.
std::vector<std::string> WrapLines(std::string_view text, int width);

} // namespace terminal
