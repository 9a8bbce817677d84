#include "bench/HeapPeak.h"

#include <memory>
#include <string>
#include <vector>

#include <gtest/gtest.h>

namespace bench {
namespace {

TEST(HeapPeak, SeesTheHighestLevelSinceTheMarkAndTheFreesAfterIt) {
    auto kept = std::make_unique<char[]>(1 << 20);
    const std::size_t level = HeapPeak::Live();
    HeapPeak::Mark();
    EXPECT_EQ(HeapPeak::PeakSinceMark(), 0u);
    {
        std::vector<char> first(3 << 20);
        std::string second(1 << 20, 'x');
        EXPECT_GE(HeapPeak::Live(), level + (4 << 20));
    }
    {
        std::vector<char> later(2 << 20);
        EXPECT_GE(HeapPeak::PeakSinceMark(), std::size_t{4} << 20);
        EXPECT_LT(HeapPeak::PeakSinceMark(), std::size_t{5} << 20);
    }
    EXPECT_EQ(HeapPeak::Live(), level);
}

} // namespace
} // namespace bench
