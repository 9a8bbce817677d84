// The text of one value line: composing it as the editor writes it, and reading the value
// back from a line of the held text.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
#include <span>
#include <string>
#include <string_view>

namespace regfile {

// A written value line, CR LF included, never exceeds this.
inline constexpr std::size_t kMaxValueLine = 255;

// The line "name"=<type keyword and text> CR LF, or nullopt when it cannot be written as
// one sound line: an empty name, a CR or LF in the name or string text, a binary value of
// no bytes, or a line longer than kMaxValueLine.
std::optional<std::string> ComposeValueLine(std::string_view name, std::int32_t type,
                                            const void* data, std::uint32_t size);

enum class ValueKind { Dword, Binary, MultiString, String };

// Decided by searching the whole line for the type keywords.
ValueKind KindOfLine(std::string_view line);

// Value text of a dword or hex line: after the keyword that follows the name's end
// (`nameEnd`, an offset into `line`), up to the first ";" or the line's end.
std::string_view DwordText(std::string_view line, std::size_t nameEnd);
std::string_view HexText(std::string_view line, std::size_t nameEnd);

// Unsigned hexadecimal: leading blanks, an optional "0x", either letter case; reading stops
// at the first other character. nullopt when the number does not fit in 32 bits.
std::optional<std::uint32_t> ParseDword(std::string_view text);

// The number of bytes of a hex text: its characters other than "," and blank, halved.
std::uint32_t HexByteCount(std::string_view text);
// Stores the first out.size() bytes of a hex text (at most HexByteCount of them).
void ParseHexBytes(std::string_view text, std::span<std::uint8_t> out);

// Text of a string line: after "=" and its opening quote, up to the closing quote that
// ends the line.
std::string_view StringText(std::string_view line, std::size_t nameEnd);

} // namespace regfile
