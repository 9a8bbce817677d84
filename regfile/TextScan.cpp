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

std::size_t FindLineStart(const char* text, std::size_t pos) {
    while (pos > 0 && text[pos - 1] != '\n' && text[pos - 1] != '\r') {
        --pos;
    }
    return pos;
}

std::size_t FindLineEndInText(const char* text, std::size_t from) {
    return from + std::strcspn(text + from, "\r\n");
}

std::size_t FindNoCaseInText(const char* text, std::size_t length, std::size_t from,
                             std::string_view lowerNeedle) {
    const char first = lowerNeedle.front();
    const char firstUpper =
        first >= 'a' && first <= 'z' ? static_cast<char>(first - 'a' + 'A') : first;
    const char firstForms[] = {first, firstUpper, '\0'};
    const std::size_t size = lowerNeedle.size();
    const char* candidate = text + from;
    for (;; ++candidate) {
        // The next possible first byte, found by the C library's scan, which stops at the
        // zero byte as the text does.
        if (first == firstUpper) {
            candidate = std::strchr(candidate, first);
            if (candidate == nullptr) {
                return kNotFound;
            }
        } else {
            candidate += std::strcspn(candidate, firstForms);
            if (*candidate == '\0') {
                return kNotFound;
            }
        }
        const std::size_t at = static_cast<std::size_t>(candidate - text);
        if (at + size > length) {
            return kNotFound;
        }
        // Compared from the far end, where texts that share the needle's start differ
        // first. A zero byte differs from every needle byte, so a match lies in the text.
        std::size_t k = size;
        while (k > 1 && LowerAscii(candidate[k - 1]) == lowerNeedle[k - 1]) {
            --k;
        }
        if (k == 1) {
            return at;
        }
    }
}

} // namespace regfile
