// The checksum's 256-bit vector build (ChecksumWide.cpp, compiled for AVX2 alone), used
// only where the processor runs it. Both builds give the same values.
#pragma once

#include <cstddef>
#include <cstdint>

#ifndef PCI_CHECKSUM_WIDE
#define PCI_CHECKSUM_WIDE 0
#endif

namespace regfile::detail {

#if PCI_CHECKSUM_WIDE
bool WideChecksumUsable();
// `state` is the hash's streaming state, as Checksum holds it.
void WideChecksumAdd(unsigned char* state, const void* bytes, std::size_t size);
std::uint64_t WideChecksumOf(const void* bytes, std::size_t size);
#endif

} // namespace regfile::detail
