// The vector scans against a byte-by-byte reading of the same buffers: every length up to
// a few vector widths, every start, bytes drawn from a small alphabet so that candidates,
// zero bytes and near misses fall at every offset, including across the vectors' ends.
#include <gtest/gtest.h>

#include <cstddef>
#include <memory>
#include <random>
#include <string>

#include "regfile/TextScan.h"

namespace regfile {
namespace {

std::size_t ReferenceByteOrZero(const std::string& buffer, std::size_t from, char c) {
    std::size_t i = from;
    while (buffer[i] != c && buffer[i] != '\0')
        ++i;
    return i;
}

std::size_t ReferencePairOrZero(const std::string& buffer, std::size_t length, std::size_t from,
                                char first, char last, std::size_t gap) {
    for (std::size_t i = from;; ++i) {
        if (buffer[i] == '\0')
            return i;
        if (buffer[i] == first && i + gap <= length && buffer[i + gap] == last)
            return i;
    }
}

// `length` bytes from the alphabet, then the terminating zero byte.
std::string RandomBuffer(std::mt19937& random, std::size_t length, bool withZeros) {
    const std::string alphabet = withZeros ? std::string("ab]]xx\0", 7) : "ab]]xxxxxxxx";
    std::uniform_int_distribution<std::size_t> pick(0, alphabet.size() - 1);
    std::string buffer;
    for (std::size_t i = 0; i < length; ++i)
        buffer += alphabet[pick(random)];
    buffer += '\0';
    return buffer;
}

TEST(TextScan, VectorScansAgreeWithAByteByByteReading) {
    std::mt19937 random(7);
    for (std::size_t length = 0; length <= 140; ++length) {
        for (int round = 0; round < 6; ++round) {
            const std::string buffer = RandomBuffer(random, length, round % 2 == 0);
            const char* text = buffer.c_str();
            for (std::size_t from = 0; from <= length; ++from) {
                ASSERT_EQ(FindByteOrZero(text, length, from, ']'),
                          ReferenceByteOrZero(buffer, from, ']'))
                    << "length " << length << " from " << from;
                for (std::size_t gap : {1u, 5u, 19u, 40u}) {
                    ASSERT_EQ(FindPairOrZero(text, length, from, 'a', ']', gap),
                              ReferencePairOrZero(buffer, length, from, 'a', ']', gap))
                        << "length " << length << " from " << from << " gap " << gap;
                }
            }
        }
    }
}

TEST(TextScan, PairSearchReadsNothingBehindTheBuffer) {
    // The pair's last byte would stand right behind the terminating zero byte: the buffer
    // is allocated to its exact size, so the address sanitizer sees any read past it.
    for (std::size_t length = 1; length <= 100; ++length) {
        auto bytes = std::make_unique<char[]>(length + 1);
        for (std::size_t i = 0; i < length; ++i)
            bytes[i] = 'a';
        bytes[length] = '\0';
        EXPECT_EQ(FindPairOrZero(bytes.get(), length, 0, 'a', ']', 20), length);
        EXPECT_EQ(FindByteOrZero(bytes.get(), length, 0, ']'), length);
    }
}

} // namespace
} // namespace regfile
