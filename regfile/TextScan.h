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

// The start of the line (split at CR and at LF alike) that holds the byte at `pos`.
std::size_t FindLineStart(const char* text, std::size_t pos);

// The scans below run over a zero-terminated text, whose first zero byte ends them: they
// need not know where that is, and read no byte behind it.

// First CR, LF or zero byte at or after `from`.
std::size_t FindLineEndInText(const char* text, std::size_t from);

// First byte `c` or zero byte at or after `from`, where text[length] is a zero byte that
// ends the buffer and `from` <= `length`: one pass that finds a byte and the text end
// alike (FindPairOrZero with both bytes `c`).
std::size_t FindByteOrZero(const char* text, std::size_t length, std::size_t from, char c);

// First position p at or after `from` where text[p] is `first` and text[p + gap] is
// `last` (a candidate for a text that starts and ends with them), or the first zero byte
// at or after `from`, whichever comes first. As FindByteOrZero, text[length] is a zero
// byte that ends the buffer; no byte behind it is read.
std::size_t FindPairOrZero(const char* text, std::size_t length, std::size_t from, char first,
                           char last, std::size_t gap);

// First occurrence at or after `from` (which lies in the text) of `lowerNeedle` (lower
// case, not empty, without a zero byte), compared without regard to ASCII letter case;
// kNotFound when there is none ahead of the first zero byte. `length` is where the
// zero-terminated buffer ends: no byte beyond text[length] is read.
std::size_t FindNoCaseInText(const char* text, std::size_t length, std::size_t from,
                             std::string_view lowerNeedle);

char LowerAscii(char c);

} // namespace regfile
