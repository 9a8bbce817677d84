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

// The last position in [from, to) that holds `c`, or kNotFound.
std::size_t FindLastByte(std::string_view text, char c, std::size_t from, std::size_t to);

inline bool IsBlank(char c) {
    return c == ' ' || c == '\t';
}
inline char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}
inline bool EqualNoCase(std::string_view a, std::string_view b) {
    if (a.size() != b.size()) {
        return false;
    }
    if (a == b) {
        return true; // the common case, at the speed of a byte comparison
    }
    for (std::size_t i = 0; i < a.size(); ++i) {
        if (LowerAscii(a[i]) != LowerAscii(b[i])) {
            return false;
        }
    }
    return true;
}
// First position at or after `from` where `needle` stands, compared without regard to
// ASCII letter case.
std::size_t FindNoCase(std::string_view text, std::string_view needle, std::size_t from = 0);

// `text` without the blanks at its start / end.
inline std::size_t SkipBlanks(std::string_view text, std::size_t from) {
    while (from < text.size() && IsBlank(text[from])) {
        ++from;
    }
    return from;
}
std::string_view TrimBlanksEnd(std::string_view text);

} // namespace regfile
