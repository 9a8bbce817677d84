// The names derived from the host's arguments, and the one bounded copy into text fields.
#include <gtest/gtest.h>

#include <string>

#include "regfile/DriverNames.h"
#include "regfile/FixedText.h"

namespace {

TEST(DriverNames, ModelNameAndPathFollowTheModuleName) {
    EXPECT_EQ(regfile::ModelNameOf("PCI3916Cfg.dll"), "PCI3916");
    EXPECT_EQ(regfile::ModelNameOf("PCI3916ICfg.dll"), "PCI3916I");
    EXPECT_EQ(regfile::ModelNameOf("XICfg.dll"), "XICfg.dl");
    EXPECT_EQ(regfile::ModelNameOf("PCI3916icfg.dll"), "PCI3916") << "the test keeps letter case";
    EXPECT_EQ(regfile::ModelNameOf("PCI"), "PCI");
    EXPECT_EQ(regfile::ModelNameOf(""), "");
    EXPECT_EQ(regfile::DriverFilePath("C:\\root\\", "PCI3916Cfg.dll"),
              "C:\\root\\Public\\Tarnwick\\Device_Drivers\\PCI3916\\PCI3916.reg");
    EXPECT_EQ(regfile::DriverFilePath("/r", "PCI3916ICfg.dll"),
              "/rPublic\\Tarnwick\\Device_Drivers\\PCI3916I\\PCI3916I.reg")
        << "the root is used verbatim";
}

TEST(DriverNames, DriverKeyTakesTheModelTextFromItsFourthCharacter) {
    EXPECT_EQ(regfile::DriverKeyOf("PCI3916"), "VKR3916S");
    EXPECT_EQ(regfile::DriverKeyOf("ABC"), "VKRS");
    EXPECT_EQ(regfile::DriverKeyOf("AB"), "VKRS");
}

TEST(FixedText, CopiesAtMostCapacityLessOneAndZeroesTheRest) {
    char field[6];
    std::fill(std::begin(field), std::end(field), 'x');
    regfile::CopyText(field, "ab");
    EXPECT_EQ(std::string(field, sizeof field), std::string("ab\0\0\0\0", 6));
    regfile::CopyText(field, "abcdefgh");
    EXPECT_EQ(std::string(field, sizeof field), std::string("abcde\0", 6));
    regfile::CopyText(field, std::string_view());
    EXPECT_EQ(std::string(field, sizeof field), std::string(6, '\0'));
}

} // namespace
