// Searching views of the held text. Nothing here copies or changes the text it scans.
#pragma once

#include <cstddef>
#include <string_view>

namespace regfile {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// A line of the text: [Begin, End), its line end not included.
struct LineSpan {
    std::size_t Begin = 0;
    std::size_t End = 0;
};

// First CR or LF at or after `from`, or text.size() when the line runs to the end.
std::size_t FindLineEnd(std::string_view text, std::size_t from);

// The line (split at CR and at LF alike) that holds the byte at `pos`.
LineSpan LineAround(std::string_view text, std::size_t pos);

bool ContainsByte(std::string_view text, char c);

// First occurrence of `lowerNeedle` (already lower case) in `text` compared without regard
// to ASCII letter case, or kNotFound.
std::size_t FindNoCase(std::string_view text, std::string_view lowerNeedle);

char LowerAscii(char c);

} // namespace regfile
