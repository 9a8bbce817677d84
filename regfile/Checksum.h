// A fast 64-bit checksum (XXH3) of a byte stream fed in pieces of any size. It tells a
// content changed by accident, by hand or by another program from the one recorded; it is
// no defence against a deliberate forgery.
#pragma once

#include <cstddef>
#include <cstdint>
#include <memory>
#include <string_view>

namespace regfile {

class Checksum {
public:
    Checksum();
    ~Checksum();
    Checksum(const Checksum&) = delete;
    Checksum& operator=(const Checksum&) = delete;

    void Add(std::string_view bytes);
    std::uint64_t Value() const;

private:
    // The hash's streaming state, kept out of this header with the hash's own.
    struct State;
    std::unique_ptr<State> state_;
};

std::uint64_t ChecksumOf(std::string_view bytes);

} // namespace regfile
