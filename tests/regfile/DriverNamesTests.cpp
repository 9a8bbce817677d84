// The driver key derived from the model text, and the one bounded copy into text fields.
#include <gtest/gtest.h>

#include <string>

#include "regfile/DriverNames.h"
#include "regfile/FixedText.h"

namespace {

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
