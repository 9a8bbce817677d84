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

#if PCI_SEARCH_SSE2
// The processor's vectors: 32 bytes with AVX2, 16 with SSE2 (a wider generic vector than
// the target has would be split up badly by the compiler).
#if defined(__AVX2__)
constexpr int kLane = 32;
#else
constexpr int kLane = 16;
#endif
typedef char Lane __attribute__((vector_size(kLane)));
// A compare's result: every bit of a byte set where the compare holds.
typedef signed char LaneMask __attribute__((vector_size(kLane)));

// Vectors go by reference only: passed by value, a 32-byte vector would take a calling
// convention that differs between builds with and without AVX.
inline void LoadLane(Lane& bytes, const char* at) {
    __builtin_memcpy(&bytes, at, kLane);
}

inline void SplatLane(Lane& bytes, char c) {
    for (int i = 0; i < kLane; ++i) {
        bytes[i] = c;
    }
}

// Bit i set where byte i of a compare result is set.
inline uint32_t LaneBits(const LaneMask& found) {
#if defined(__AVX2__)
    __m256i all;
    __builtin_memcpy(&all, &found, 32);
    return static_cast<uint32_t>(_mm256_movemask_epi8(all));
#else
    __m128i all;
    __builtin_memcpy(&all, &found, 16);
    return static_cast<uint32_t>(_mm_movemask_epi8(all));
#endif
}

// Bit i set where (first[i] | fold) == a and (second[i] | fold) == b (or, without a
// distance, where (first[i] | fold) == a), for 64 bytes. Most blocks hold no match: one
// movemask of all the compares tells, and only a block with one is taken apart.
inline uint64_t BlockMask(const char* block, size_t distance, const Lane& wantFirst,
                          const Lane& wantLast, const Lane& folding) {
    constexpr int kLanes = 64 / kLane;
    LaneMask found[kLanes];
    LaneMask any = {};
    for (int i = 0; i < kLanes; ++i) {
        Lane bytes;
        LoadLane(bytes, block + i * kLane);
        found[i] = (bytes | folding) == wantFirst;
        if (distance != 0) {
            LoadLane(bytes, block + distance + i * kLane);
            found[i] &= (bytes | folding) == wantLast;
        }
        any |= found[i];
    }
    if (LaneBits(any) == 0) {
        return 0;
    }
    uint64_t mask = 0;
    for (int i = 0; i < kLanes; ++i) {
        mask |= static_cast<uint64_t>(LaneBits(found[i])) << (i * kLane);
    }
    return mask;
}
#else
// Without vector compares: eight bytes at a time in plain integers. HighBits sets the top
// bit of each byte of the word at `at` that, ORed with the fold, equals the pattern's byte:
// such a byte turns into zero and the carry-free zero-byte test finds it.
inline uint64_t HighBits(const char* at, uint64_t folding, uint64_t pattern) {
    const uint64_t low7 = 0x7F7F7F7F7F7F7F7Full;
    uint64_t word = 0;
    __builtin_memcpy(&word, at, 8);
#if defined(__BYTE_ORDER__) && __BYTE_ORDER__ == __ORDER_BIG_ENDIAN__
    word = __builtin_bswap64(word);
#endif
    const uint64_t x = (word | folding) ^ pattern;
    return ~(((x & low7) + low7) | x | low7);
}

struct Lane {
    uint64_t word; // the byte in every byte
};

inline uint64_t BlockMask(const char* block, size_t distance, const Lane& wantFirst,
                          const Lane& wantLast, const Lane& folding) {
    // Gathers the top bit of each byte into the low eight bits, byte 0 to bit 0.
    const uint64_t gather = 0x0102040810204080ull;
    uint64_t found[8];
    uint64_t any = 0;
    for (int i = 0; i < 8; ++i) {
        found[i] = HighBits(block + 8 * i, folding.word, wantFirst.word);
        any |= found[i];
    }
    if (any == 0) {
        return 0;
    }
    uint64_t mask = 0;
    for (int i = 0; i < 8; ++i) {
        if (distance != 0 && found[i] != 0) {
            found[i] &= HighBits(block + distance + 8 * i, folding.word, wantLast.word);
        }
        mask |= (((found[i] >> 7) * gather) >> 56) << (8 * i);
    }
    return mask;
}

inline void SplatLane(Lane& lane, char c) {
    lane.word = 0x0101010101010101ull * static_cast<unsigned char>(c);
}
#endif

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
    Lane wantFirst;
    Lane wantLast;
    Lane folding;
    SplatLane(wantFirst, first);
    SplatLane(wantLast, last);
    SplatLane(folding, fold);
    size_t at = from;
    for (; size - at >= 64 + distance; at += 64) {
        const uint64_t mask = BlockMask(data + at, distance, wantFirst, wantLast, folding);
        if (mask != 0) {
            return at + static_cast<size_t>(__builtin_ctzll(mask));
        }
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
