#include "regfile/Checksum.h"

#define XXH_INLINE_ALL
#include <xxhash.h>

namespace regfile {

struct Checksum::State {
    XXH3_state_t Hash;
};

Checksum::Checksum() : state_(std::make_unique<State>()) {
    XXH3_INITSTATE(&state_->Hash);
    XXH3_64bits_reset(&state_->Hash);
}

Checksum::~Checksum() = default;

void Checksum::Add(std::string_view bytes) {
    XXH3_64bits_update(&state_->Hash, bytes.data(), bytes.size());
}

std::uint64_t Checksum::Value() const {
    return XXH3_64bits_digest(&state_->Hash);
}

std::uint64_t ChecksumOf(std::string_view bytes) {
    return XXH3_64bits(bytes.data(), bytes.size());
}

} // namespace regfile
