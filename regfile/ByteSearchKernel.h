// The search loop of ByteSearch.cpp, compiled once for the processor's base instruction set
// and, on x86-64 Linux, once more for AVX2 (ByteSearchWide.cpp). Everything here has
// internal linkage and no C++ library header is included, so that the AVX2 build of an
// inline function can never be taken by the linker for a caller on another processor.
#pragma once

#include <stddef.h>
#include <stdint.h>

// PCI_SEARCH_PLAIN: the build for processors without vector compares (the 32-bit Windows
// build), which the tests compile on any machine.
#if defined(__SSE2__) && !defined(PCI_SEARCH_PLAIN)
#define PCI_SEARCH_SSE2 1
#include <immintrin.h>
#else
#define PCI_SEARCH_SSE2 0
#endif

namespace regfile {
namespace {

// 32 bytes; where the target has narrower vectors, the compiler splits the operations.
typedef char Bytes32 __attribute__((vector_size(32)));
// A compare's result: every bit of a byte set where the compare holds.
typedef signed char Mask32 __attribute__((vector_size(32)));

// Vectors go by reference only: passed by value, a 32-byte vector would take a calling
// convention that differs between builds with and without AVX.
inline void Load32(Bytes32& bytes, const char* at) {
    __builtin_memcpy(&bytes, at, 32);
}

inline void Splat32(Bytes32& bytes, char c) {
    for (int i = 0; i < 32; ++i) {
        bytes[i] = c;
    }
}

// Bit i set where byte i of a compare result is set.
inline uint32_t Bits32(const Mask32& found) {
#if PCI_SEARCH_SSE2 && defined(__AVX2__)
    __m256i all;
    __builtin_memcpy(&all, &found, 32);
    return static_cast<uint32_t>(_mm256_movemask_epi8(all));
#elif PCI_SEARCH_SSE2
    __m128i low;
    __m128i high;
    __builtin_memcpy(&low, &found, 16);
    __builtin_memcpy(&high, reinterpret_cast<const char*>(&found) + 16, 16);
    return static_cast<uint32_t>(_mm_movemask_epi8(low)) |
           (static_cast<uint32_t>(_mm_movemask_epi8(high)) << 16);
#else
    uint32_t bits = 0;
    for (int i = 0; i < 32; ++i) {
        bits |= static_cast<uint32_t>(found[i] != 0) << i;
    }
    return bits;
#endif
}

inline bool Matches(char c, char fold, char wanted) {
    return static_cast<char>(c | fold) == wanted;
}

// The first position p >= from where (data[p] | fold) == first and
// (data[p + distance] | fold) == last, p + distance < size; `size` when there is none.
// Each 64 bytes cost one mask test; only a block with a match is looked at bit by bit.
inline size_t FindPatternIn(const char* data, size_t size, size_t from, char first, char last,
                            size_t distance, char fold) {
    if (from >= size || size - from <= distance) {
        return size;
    }
    Bytes32 wantFirst;
    Bytes32 wantLast;
    Bytes32 folding;
    Splat32(wantFirst, first);
    Splat32(wantLast, last);
    Splat32(folding, fold);
    size_t at = from;
    for (; size - at >= 64 + distance; at += 64) {
        const char* block = data + at;
        Bytes32 bytes;
        Load32(bytes, block);
        Mask32 low = (bytes | folding) == wantFirst;
        Load32(bytes, block + 32);
        Mask32 high = (bytes | folding) == wantFirst;
        if (distance != 0) {
            Load32(bytes, block + distance);
            low &= (bytes | folding) == wantLast;
            Load32(bytes, block + distance + 32);
            high &= (bytes | folding) == wantLast;
        }
        const Mask32 any = low | high;
        if (Bits32(any) == 0) {
            continue;
        }
        const uint64_t mask =
            static_cast<uint64_t>(Bits32(low)) | (static_cast<uint64_t>(Bits32(high)) << 32);
        return at + static_cast<size_t>(__builtin_ctzll(mask));
    }
    for (; at + distance < size; ++at) {
        if (Matches(data[at], fold, first) && Matches(data[at + distance], fold, last)) {
            return at;
        }
    }
    return size;
}

} // namespace
} // namespace regfile
