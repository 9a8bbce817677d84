// Searching views of the held text. Nothing here copies or changes the text it scans.
#pragma once

#include <cstddef>
#include <string_view>

namespace regfile {

inline constexpr std::size_t kNotFound = std::string_view::npos;

// A line of the text: [Begin, End), its line end (CR LF, LF or a lone CR) from End to Next.
struct LineSpan {
    std::size_t Begin = 0;
    std::size_t End = 0;
    std::size_t Next = 0;
};

// First CR or LF at or after `from`, or text.size() when the line runs to the end.
std::size_t FindLineEnd(std::string_view text, std::size_t from);

// The line that starts at `begin`.
LineSpan LineAt(std::string_view text, std::size_t begin);

// The start of the line that holds the byte at `pos`.
std::size_t FindLineStart(std::string_view text, std::size_t pos);

bool ContainsByte(std::string_view text, char c);
bool IsBlank(char c);
char LowerAscii(char c);
bool EqualNoCase(std::string_view a, std::string_view b);
// First position at or after `from` where `needle` stands, compared without regard to
// ASCII letter case.
std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// `text` without the blanks at its start / end.
std::size_t SkipBlanks(std::string_view text, std::size_t from);
std::string_view TrimBlanksEnd(std::string_view text);

} // namespace regfile
