// The checksum: the same value in one piece and in pieces of any size, from both builds of
// the hash (the vector build and the portable one) on this machine.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regfile/Checksum.h"
#include "regfile/ChecksumWide.h"
#include "regfile/SelectorSeams.h"

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

TEST(Checksum, BothBuildsAndEveryCuttingGiveOneValue) {
    std::mt19937 random(7);
    for (std::size_t size :
         {0u, 1u, 16u, 17u, 128u, 129u, 240u, 241u, 1024u, 4096u, 100000u, 1u << 20}) {
        std::string bytes(size, '\0');
        for (char& c : bytes)
            c = static_cast<char>(random());
        detail::ForceNarrowChecksum = true;
        const std::uint64_t narrow = ChecksumOf(bytes);
        EXPECT_EQ(InPieces(bytes, random), narrow) << size;
        detail::ForceNarrowChecksum = false;
        EXPECT_EQ(ChecksumOf(bytes), narrow) << size;
        EXPECT_EQ(InPieces(bytes, random), narrow) << size;
        if (size > 0) {
            bytes[random() % size] ^= 0x10;
            EXPECT_NE(ChecksumOf(bytes), narrow) << size;
        }
    }
#if PCI_CHECKSUM_WIDE
    // The vector build is the one in use here, so the comparison above meant something.
    if (!detail::WideChecksumUsable()) {
        GTEST_SKIP() << "this processor has no AVX2: only the portable build was compared";
    }
#endif
}

} // namespace
} // namespace regfile::test
