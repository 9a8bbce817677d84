// The places in a text where a byte stands, or a pair of bytes a fixed distance apart.
//
// The search for key lines looks for the driver key's first and last bytes, letter case
// aside: few places hold both, so few are looked at closely. A library search per "["
// instead cost more in its calls than in the bytes it read, a driver file having one
// every few hundred bytes. The loop takes 64 bytes at a time, in the widest vectors the
// processor has: 16-byte SSE2 compares on every x86-64, an AVX2 build chosen at run time on
// x86-64 Linux where it runs, and eight bytes at a time in plain integers where there are
// no vector compares (the 32-bit Windows build).
#pragma once

#include <cstddef>
#include <string_view>

#ifndef PCI_SEARCH_WIDE
#define PCI_SEARCH_WIDE 0
#endif

namespace regfile {

struct BytePattern {
    char First = 0;
    char Last = 0;
    std::size_t Distance = 0; // of Last behind First; 0: First alone
    // ORed into each byte before comparing: 0x20 with lower-case First and Last finds
    // letters in either case (and a few other bytes, which callers check anyway).
    char Fold = 0;
};

// The first position p >= from where the pattern stands, or std::string_view::npos.
std::size_t FindPattern(std::string_view text, std::size_t from, const BytePattern& pattern);

namespace detail {
#if PCI_SEARCH_WIDE
bool WideSearchUsable();
std::size_t WideFindPattern(const char* data, std::size_t size, std::size_t from, char first,
                            char last, std::size_t distance, char fold);
#endif
} // namespace detail

} // namespace regfile
