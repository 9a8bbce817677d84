// The checksum: the same value in one piece and in pieces of any size, and a change of one
// bit changes it.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regfile/Checksum.h"

namespace regfile::test {
namespace {

std::uint64_t InPieces(std::string_view bytes, std::mt19937& random) {
    Checksum sum;
    while (!bytes.empty()) {
        const std::size_t piece = std::min<std::size_t>(bytes.size(), random() % 5000);
        sum.Add(bytes.substr(0, piece));
        bytes.remove_prefix(piece);
    }
    return sum.Value();
}

TEST(Checksum, EveryCuttingGivesOneValue) {
    // XXH3's own value of no bytes: the hash is the one the journal records were made with.
    EXPECT_EQ(ChecksumOf({}), 0x2D06800538D394C2ull);
    std::mt19937 random(7);
    for (std::size_t size :
         {0u, 1u, 16u, 17u, 128u, 129u, 240u, 241u, 1024u, 4096u, 100000u, 1u << 20}) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        const std::uint64_t whole = ChecksumOf(bytes);
        EXPECT_EQ(InPieces(bytes, random), whole) << size;
        if (size > 0) {
            bytes[random() % size] ^= 0x10;
            EXPECT_NE(ChecksumOf(bytes), whole) << size;
        }
    }
}

} // namespace
} // namespace regfile::test
