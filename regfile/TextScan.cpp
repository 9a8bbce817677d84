#include "regfile/TextScan.h"

#include <cstring>

namespace regfile {

std::size_t FindLineEnd(std::string_view text, std::size_t from) {
    if (from >= text.size()) {
        return text.size();
    }
    const char* begin = text.data() + from;
    std::size_t rest = text.size() - from;
    const void* lf = std::memchr(begin, '\n', rest);
    std::size_t limit = lf != nullptr ? static_cast<const char*>(lf) - begin : rest;
    const void* cr = std::memchr(begin, '\r', limit);
    return from +
           (cr != nullptr ? static_cast<std::size_t>(static_cast<const char*>(cr) - begin) : limit);
}

LineSpan LineAround(std::string_view text, std::size_t pos) {
    std::size_t begin = pos;
    while (begin > 0 && text[begin - 1] != '\n' && text[begin - 1] != '\r') {
        --begin;
    }
    return {begin, FindLineEnd(text, pos)};
}

bool ContainsByte(std::string_view text, char c) {
    return !text.empty() && std::memchr(text.data(), c, text.size()) != nullptr;
}

char LowerAscii(char c) {
    return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

std::size_t FindNoCase(std::string_view text, std::string_view lowerNeedle) {
    if (lowerNeedle.empty()) {
        return 0;
    }
    if (text.size() < lowerNeedle.size()) {
        return kNotFound;
    }
    const char first = lowerNeedle.front();
    const char firstUpper =
        first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const std::size_t last = text.size() - lowerNeedle.size();
    for (std::size_t i = 0; i <= last; ++i) {
        // Jump to the next candidate first byte with memchr when it has no letter case.
        if (first == firstUpper) {
            const void* hit = std::memchr(text.data() + i, first, last - i + 1);
            if (hit == nullptr) {
                return kNotFound;
            }
            i = static_cast<std::size_t>(static_cast<const char*>(hit) - text.data());
        } else if (text[i] != first && text[i] != firstUpper) {
            continue;
        }
        std::size_t k = 1;
        while (k < lowerNeedle.size() && LowerAscii(text[i + k]) == lowerNeedle[k]) {
            ++k;
        }
        if (k == lowerNeedle.size()) {
            return i;
        }
    }
    return kNotFound;
}

} // namespace regfile
