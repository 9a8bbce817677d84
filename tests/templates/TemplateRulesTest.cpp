// The table's rules without a tree, as the window and the command both apply them.
#include <gtest/gtest.h>

#include "templates/TemplateRules.h"

namespace templates {
namespace {

TEST(TemplateRules, UsedSwitchIdsCountShownTemplatesWithAValidId) {
    TemplateRecord records[kTemplateCount] = {};
    for (int i = 0; i < kTemplateCount; ++i)
        records[i].SwitchId = i;
    records[0].SwitchId = 9;  // shown
    records[3].SwitchId = 20; // shown, outside 0 to 15: marks nothing
    records[5].SwitchId = 9;  // shown, a duplicate
    records[7].SwitchId = 1;  // not shown
    EXPECT_EQ(UsedSwitchIdsOf(records, 0b101001), 1u << 9);
    EXPECT_EQ(UsedSwitchIdsOf(records, 0), 0u);
}

TEST(TemplateRules, AddTakesTheLowestFreeIndexAndSwitchId) {
    EXPECT_EQ(LowestFreeTemplateIndex(0), 0);
    EXPECT_EQ(LowestFreeTemplateIndex(0b1011), 2);
    EXPECT_EQ(LowestFreeTemplateIndex(0xFFFF), kTemplateCount);
    EXPECT_EQ(LowestFreeSwitchId(0x7FFF), 15);
    EXPECT_FALSE(LowestFreeSwitchId(0xFFFF));
}

TEST(TemplateRules, ASwitchIdOfAnotherTemplateIsRefused) {
    const std::uint16_t used = (1u << 3) | (1u << 7);
    EXPECT_TRUE(IsSwitchIdRefused(used, 7, 3));
    EXPECT_FALSE(IsSwitchIdRefused(used, 3, 3)); // the template's own
    EXPECT_FALSE(IsSwitchIdRefused(used, 3, 4)); // free
    EXPECT_FALSE(IsSwitchIdRefused(used, 20, 4));
}

// Switch IDs beyond the board's (32 and over, negative as a dword:ffffffff reads) take no
// bit, are never refused as another template's, and never stop a free one being handed out.
TEST(TemplateRules, SwitchIdsOutsideTheBoardsRangeMarkAndRefuseNothing) {
    TemplateRecord records[kTemplateCount] = {};
    for (const std::int32_t odd : {16, 31, 32, 40, 64, 1 << 30, -1, -32, INT32_MIN}) {
        SCOPED_TRACE(odd);
        EXPECT_FALSE(IsSwitchId(odd));
        for (int i = 0; i < kTemplateCount; ++i)
            records[i].SwitchId = odd;
        records[2].SwitchId = 2;
        const std::uint16_t used = UsedSwitchIdsOf(records, 0xFFFF);
        EXPECT_EQ(used, 1u << 2);
        EXPECT_FALSE(IsSwitchIdRefused(used, 2, odd));
        EXPECT_FALSE(IsSwitchIdRefused(used, odd, 5));
        EXPECT_TRUE(IsSwitchIdRefused(used, odd, 2)) << "an odd own ID does not free another's";
        EXPECT_EQ(LowestFreeSwitchId(used), 0);
    }
}

} // namespace
} // namespace templates
