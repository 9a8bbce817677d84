#include "regfile/TextScan.h"

#include <cstring>

#if defined(__SSE2__)
#include <emmintrin.h>
#endif

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

std::size_t FindByteOrZero(const char* text, std::size_t length, std::size_t from, char c) {
    std::size_t i = from;
#if defined(__SSE2__)
    // 64 bytes a step, all of them inside the buffer (its zero byte included), so no read
    // passes its end.
    const __m128i wanted = _mm_set1_epi8(c);
    const __m128i zero = _mm_setzero_si128();
    const auto hits = [&](std::size_t at) {
        const __m128i chunk = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + at));
        return _mm_or_si128(_mm_cmpeq_epi8(chunk, wanted), _mm_cmpeq_epi8(chunk, zero));
    };
    for (; i + 64 <= length + 1; i += 64) {
        const __m128i any = _mm_or_si128(_mm_or_si128(hits(i), hits(i + 16)),
                                         _mm_or_si128(hits(i + 32), hits(i + 48)));
        if (_mm_movemask_epi8(any) != 0) {
            break;
        }
    }
    for (; i + 16 <= length + 1; i += 16) {
        if (const int mask = _mm_movemask_epi8(hits(i)); mask != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(mask)));
        }
    }
#else
    (void)length;
#endif
    while (text[i] != c && text[i] != '\0') {
        ++i;
    }
    return i;
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
        // The next possible first byte; the scans stop at the zero byte as the text does.
        if (first == firstUpper) {
            candidate = text + FindByteOrZero(text, length,
                                              static_cast<std::size_t>(candidate - text), first);
            if (*candidate == '\0') {
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
