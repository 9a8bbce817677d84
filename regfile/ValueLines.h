// The text of one value line as the editor writes it.
#pragma once

#include <cstddef>
#include <cstdint>
#include <optional>
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

} // namespace regfile
