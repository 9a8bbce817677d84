// A unified diff of two byte texts, line by line, as `diff -u` prints it and `patch`
// applies it: a line keeps its own bytes (a CR before its LF included), and a last line
// without a line end is marked "\ No newline at end of file".
#pragma once

#include <cstddef>
#include <string>
#include <string_view>

namespace cli {

// Empty when the texts are equal. `label` names the file in the "---" and "+++" lines.
std::string UnifiedDiff(std::string_view before, std::string_view after, std::string_view label,
                        std::size_t context = 3);

} // namespace cli
