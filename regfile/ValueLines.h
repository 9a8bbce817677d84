// The text of one value line: composing it as the editor writes it, and reading the value
// back from a line of the held text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "regfile/TextScan.h"

namespace regfile {

// A written value line, CR LF included, never exceeds this.
inline constexpr std::size_t kMaxValueLine = 255;

// The line "name"=<type keyword and text> CR LF, or nullopt when it cannot be written as
// one sound line: an empty name, a CR or LF in the name or string text, a binary value of
// no bytes, or a line longer than kMaxValueLine.
std::optional<std::string> ComposeValueLine(std::string_view name, std::int32_t type,
                                            const void* data, std::uint32_t size);

// The inverse of ComposeValueLine for dwords and binaries: whether `line` (its line end
// left off) is exactly what ComposeValueLine writes for `name`, `type` and some value of
// `size` bytes (a dword's are 4), and then that value's bytes into `value`.
bool ParseComposedValue(std::string_view line, std::string_view name, std::int32_t type,
                        std::uint32_t size, std::uint8_t* value);

// How the importer reads one value: the forms it accepts, and the lines a value spans.
enum class ValueForm { String, Dword, Hex, MultiSz, Delete, Invalid };

// One line whose first non-blank character is a double quote. Offsets are into the line.
struct ValueLine {
    bool IsValue = false;  // the line opens with a quoted name
    std::size_t Quote = 0; // the opening quote
    std::string_view Name; // between the quotes, as written
    ValueForm Form = ValueForm::Invalid;
    std::int32_t HexType = 3;  // the N of "hex(N):" (3 for "hex:")
    std::size_t DataBegin = 0; // after the type keyword (or the string's opening quote)
    std::size_t DataEnd = 0;   // where the value's text ends, trailing blanks excluded
    std::size_t Comment = 0;   // the ";" of a trailing comment, or the line's size
    bool Continues = false;    // a hex list ending in "": the next line carries on
};

ValueLine ParseValueLine(std::string_view line);

// A hex list line from the point where a byte is expected (a value line's data, or a
// whole continuation line). Bytes go to `out` when given. False when the importer would
// refuse the list. `continues`: it ends in ""; `comment`: offset of a trailing ";".
bool ParseHexItems(std::string_view text, std::vector<std::uint8_t>* out, bool& continues,
                   std::size_t& comment);

// A value as the importer reads it from the text, over all its lines.
struct ValueExtent {
    std::size_t Begin = 0;         // the opening quote
    std::size_t LastLineBegin = 0; // the line of its last bytes
    std::size_t ContentEnd = 0;    // where the last line's text ends (its line end follows)
    std::size_t End = 0;           // after the last line's line end
    std::size_t DataEnd = 0;       // end of the value's text on its last line
    std::size_t Comment = 0;       // the ";" of a trailing comment on the last line, or ContentEnd
    bool SingleLine = true;
    bool Valid = false; // the importer takes it (a deletion "-" counts)
    ValueLine First;
    std::vector<std::uint8_t> Bytes; // a hex list's bytes, when asked for
};

// The value whose first line is `line` (its parse `first`), continuation lines included.
// `withBytes`: collect a hex list's bytes.
ValueExtent ReadValueExtent(std::string_view text, const LineSpan& line, const ValueLine& first,
                            bool withBytes);

// The value of a dword line's text: 1 to 8 hexadecimal digits.
std::optional<std::uint32_t> ParseDwordText(std::string_view text);

} // namespace regfile
