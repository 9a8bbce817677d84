// The one copy into a fixed-capacity text field: at most capacity - 1 characters, the rest
// of the field zero, so that the field is always terminated and holds nothing stale.
#pragma once

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <string_view>

namespace regfile {

template <std::size_t N> void CopyText(char (&field)[N], std::string_view text) {
    static_assert(N > 0, "a text field holds at least its terminator");
    std::memset(field, 0, N);
    if (!text.empty())
        std::memcpy(field, text.data(), std::min(text.size(), N - 1));
}

} // namespace regfile
