#include "regfile/Checksum.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

#include "regfile/ChecksumWide.h"

#if PCI_TEST_SEAMS
#include "regfile/SelectorSeams.h"
#endif

namespace regfile {

namespace {

XXH3_state_t* State(unsigned char* bytes) {
    return reinterpret_cast<XXH3_state_t*>(bytes);
}

const XXH3_state_t* State(const unsigned char* bytes) {
    return reinterpret_cast<const XXH3_state_t*>(bytes);
}

#if PCI_CHECKSUM_WIDE
// The hash's 256-bit vector code where the processor has it: the same values, about twice
// as fast over long texts.
bool UseWide() {
    static const bool wide = detail::WideChecksumUsable();
#if PCI_TEST_SEAMS
    return wide && !detail::ForceNarrowChecksum;
#else
    return wide;
#endif
}
#endif

} // namespace

#if PCI_TEST_SEAMS
namespace detail {
bool ForceNarrowChecksum = false;
} // namespace detail
#endif

static_assert(sizeof(XXH3_state_t) <= sizeof(Checksum) && alignof(XXH3_state_t) <= 64);

Checksum::Checksum() {
    XXH3_INITSTATE(State(state_));
    XXH3_64bits_reset(State(state_));
}

void Checksum::Add(std::string_view bytes) {
#if PCI_CHECKSUM_WIDE
    if (UseWide()) {
        detail::WideChecksumAdd(state_, bytes.data(), bytes.size());
        return;
    }
#endif
    XXH3_64bits_update(State(state_), bytes.data(), bytes.size());
}

std::uint64_t Checksum::Value() const {
    return XXH3_64bits_digest(State(state_));
}

std::uint64_t ChecksumOf(std::string_view bytes) {
#if PCI_CHECKSUM_WIDE
    if (UseWide()) {
        return detail::WideChecksumOf(bytes.data(), bytes.size());
    }
#endif
    return XXH3_64bits(bytes.data(), bytes.size());
}

} // namespace regfile
