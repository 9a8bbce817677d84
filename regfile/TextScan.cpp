#include "regfile/TextScan.h"

#include <cstdint>
#include <cstring>

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
#include <immintrin.h>
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

namespace {

#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
// The pair searches' steps: position p is a candidate where text[p] is `first` and
// text[p + gap] is `last`, and a stop where text[p] is zero. Each step
// covers 32 (or 16) positions below `end`, reading only bytes up to text[end - 1 + gap].
__attribute__((target("avx2"))) std::size_t PairStepsAvx2(const char* text, std::size_t end,
                                                          std::size_t i, char first, char last,
                                                          std::size_t gap) {
    const __m256i firsts = _mm256_set1_epi8(first);
    const __m256i lasts = _mm256_set1_epi8(last);
    const __m256i zero = _mm256_setzero_si256();
    for (; i + 32 <= end; i += 32) {
        const __m256i head = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i));
        const __m256i tail = _mm256_loadu_si256(reinterpret_cast<const __m256i*>(text + i + gap));
        const __m256i pair =
            _mm256_and_si256(_mm256_cmpeq_epi8(head, firsts), _mm256_cmpeq_epi8(tail, lasts));
        const __m256i stops = _mm256_or_si256(pair, _mm256_cmpeq_epi8(head, zero));
        if (const auto hits = static_cast<std::uint32_t>(_mm256_movemask_epi8(stops))) {
            return i + static_cast<std::size_t>(__builtin_ctz(hits));
        }
    }
    return i;
}

__attribute__((target("sse2"))) std::size_t PairStepsSse2(const char* text, std::size_t end,
                                                          std::size_t i, char first, char last,
                                                          std::size_t gap) {
    const __m128i firsts = _mm_set1_epi8(first);
    const __m128i lasts = _mm_set1_epi8(last);
    const __m128i zero = _mm_setzero_si128();
    for (; i + 16 <= end; i += 16) {
        const __m128i head = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i));
        const __m128i tail = _mm_loadu_si128(reinterpret_cast<const __m128i*>(text + i + gap));
        const __m128i pair =
            _mm_and_si128(_mm_cmpeq_epi8(head, firsts), _mm_cmpeq_epi8(tail, lasts));
        const __m128i stops = _mm_or_si128(pair, _mm_cmpeq_epi8(head, zero));
        if (const int hits = _mm_movemask_epi8(stops); hits != 0) {
            return i + static_cast<std::size_t>(__builtin_ctz(static_cast<unsigned>(hits)));
        }
    }
    return i;
}

bool HasAvx2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("avx2") != 0;
    }();
    return has;
}

bool HasSse2() {
    static const bool has = [] {
        __builtin_cpu_init();
        return __builtin_cpu_supports("sse2") != 0;
    }();
    return has;
}
#endif

// The vector steps over positions [i, end), or none where the processor has no vectors.
std::size_t PairSteps(const char* text, std::size_t end, std::size_t i, char first, char last,
                      std::size_t gap) {
#if defined(__GNUC__) && (defined(__x86_64__) || defined(__i386__))
    if (HasAvx2()) {
        return PairStepsAvx2(text, end, i, first, last, gap);
    }
    if (HasSse2()) {
        return PairStepsSse2(text, end, i, first, last, gap);
    }
#else
    (void)text, (void)end, (void)first, (void)last, (void)gap;
#endif
    return i;
}

} // namespace

std::size_t FindPairOrZero(const char* text, std::size_t length, std::size_t from, char first,
                           char last, std::size_t gap) {
    // Positions whose pair lies in the buffer, its zero byte included.
    const std::size_t end = length + 1 > gap ? length + 1 - gap : 0;
    std::size_t i = from < end ? PairSteps(text, end, from, first, last, gap) : from;
    // The zero byte at text[length] ends this loop at the latest.
    for (; text[i] != '\0'; ++i) {
        if (text[i] == first && i + gap <= length && text[i + gap] == last) {
            break;
        }
    }
    return i;
}

std::size_t FindByteOrZero(const char* text, std::size_t length, std::size_t from, char c) {
    // A pair whose two bytes are the same byte.
    return FindPairOrZero(text, length, from, c, c, 0);
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
