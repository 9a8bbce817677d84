// The comparison of two readings under a meant change: every key and value outside the
// change must be as it was, the set keys exactly as set, the deleted ones gone.
#include <gtest/gtest.h>

#include <string>

#include "regfile/RegistryChange.h"

namespace regfile::test {
namespace {
using namespace std::string_literals;

constexpr std::string_view kDriver = "VKR3916S";

std::string Difference(std::string_view before, const RegistryChange& change,
                       std::string_view after) {
    return FirstDifference(ImportReading::Read(before, kDriver), change,
                           ImportReading::Read(after, kDriver));
}

RegistryKey KeyWith(std::string path, std::string name, std::string data) {
    RegistryKey key;
    key.Path = std::move(path);
    std::string lower = LowerCase(name);
    key.Values[lower] = RegistryValue{std::move(name), 4, std::move(data)};
    return key;
}

constexpr std::string_view kTwoKeys = "REGEDIT4\r\n"
                                      "[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:1\r\n"
                                      "[HKEY_LOCAL_MACHINE\\B]\r\n\"Y\"=dword:2\r\n";

TEST(RegistryChange, KeysOutsideTheChangeMustStayAsTheyWere) {
    const RegistryChange none;
    EXPECT_EQ(Difference(kTwoKeys, none, kTwoKeys), "");
    // Letter case and layout of the text do not count; the registry does.
    EXPECT_EQ(Difference(kTwoKeys, none,
                         "REGEDIT4\n[hkey_local_machine\\a]\n\"x\"=dword:00000001\n"
                         "[HKEY_LOCAL_MACHINE\\B]\n\"Y\"=hex(4):02,00,00,00\n"),
              "");
    EXPECT_EQ(Difference(kTwoKeys, none,
                         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:3\r\n"
                         "[HKEY_LOCAL_MACHINE\\B]\r\n\"Y\"=dword:2\r\n"),
              "the value \"X\" of HKEY_LOCAL_MACHINE\\A would be type 4 [03 00 00 00] instead "
              "of type 4 [01 00 00 00]");
    EXPECT_EQ(Difference(kTwoKeys, none,
                         "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n"
                         "[HKEY_LOCAL_MACHINE\\B]\r\n\"Y\"=dword:2\r\n"),
              "the value \"X\" of HKEY_LOCAL_MACHINE\\A would be missing");
    EXPECT_EQ(Difference(kTwoKeys, none, std::string(kTwoKeys) + "@=\"d\"\r\n"),
              "the default value of HKEY_LOCAL_MACHINE\\B would appear (type 1 [64 00 00 00])");
    EXPECT_EQ(
        Difference(kTwoKeys, none, "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:1\r\n"),
        "the key HKEY_LOCAL_MACHINE\\B would be missing");
    EXPECT_EQ(Difference(kTwoKeys, none, std::string(kTwoKeys) + "[HKEY_LOCAL_MACHINE\\C]\r\n"),
              "a key HKEY_LOCAL_MACHINE\\C would appear");
}

TEST(RegistryChange, SetKeysHoldExactlyTheirValues) {
    RegistryChange change;
    change.Set["hkey_local_machine\\b"] = KeyWith("HKEY_LOCAL_MACHINE\\B", "Y", "\x05\0\0\0"s);
    const std::string changed = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:1\r\n"
                                "[HKEY_LOCAL_MACHINE\\B]\r\n\"Y\"=dword:5\r\n";
    EXPECT_EQ(Difference(kTwoKeys, change, changed), "");
    EXPECT_EQ(Difference(kTwoKeys, change, kTwoKeys),
              "the value \"Y\" of HKEY_LOCAL_MACHINE\\B would be type 4 [02 00 00 00] instead "
              "of type 4 [05 00 00 00]");
    EXPECT_EQ(Difference(kTwoKeys, change, changed + "\"Z\"=dword:0\r\n"),
              "the value \"Z\" of HKEY_LOCAL_MACHINE\\B would appear (type 4 [00 00 00 00])");
    // A key the change creates must be there.
    change.Set["hkey_local_machine\\c"] = KeyWith("HKEY_LOCAL_MACHINE\\C", "Z", "\x01\0\0\0"s);
    EXPECT_EQ(Difference(kTwoKeys, change, changed),
              "the key HKEY_LOCAL_MACHINE\\C would be missing");
    EXPECT_EQ(
        Difference(kTwoKeys, change, changed + "[HKEY_LOCAL_MACHINE\\C]\r\n\"Z\"=dword:1\r\n"), "");
}

TEST(RegistryChange, DeletedKeysGoWithTheParentsOnlyTheyHeldUp) {
    const std::string before = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:1\r\n"
                               "[HKEY_LOCAL_MACHINE\\P\\Q\\T]\r\n\"Y\"=dword:2\r\n"
                               "[HKEY_LOCAL_MACHINE\\P\\Q\\T\\Sub]\r\n";
    const std::string onlyA = "REGEDIT4\r\n[HKEY_LOCAL_MACHINE\\A]\r\n\"X\"=dword:1\r\n";
    RegistryChange change;
    change.Deleted.push_back("hkey_local_machine\\p\\q\\t");
    // P and Q held nothing but T: they may go with it, or stay.
    EXPECT_EQ(Difference(before, change, onlyA), "");
    EXPECT_EQ(Difference(before, change, onlyA + "[HKEY_LOCAL_MACHINE\\P\\Q]\r\n"), "");
    // T's subkey goes with it (its key line would create T again, too).
    EXPECT_EQ(Difference(before, change, onlyA + "[HKEY_LOCAL_MACHINE\\P\\Q\\T\\Sub]\r\n"),
              "a key HKEY_LOCAL_MACHINE\\P\\Q\\T would appear");
    EXPECT_EQ(
        Difference(before, change,
                   onlyA +
                       "[HKEY_LOCAL_MACHINE\\P\\Q\\T\\Sub]\r\n[-HKEY_LOCAL_MACHINE\\P\\Q\\T]\r\n"),
        "");
    // A parent with a value of its own, or another key below it, stays.
    const std::string fuller = before + "[HKEY_LOCAL_MACHINE\\P]\r\n\"V\"=dword:3\r\n";
    EXPECT_EQ(Difference(fuller, change, onlyA), "the key HKEY_LOCAL_MACHINE\\P would be missing");
    const std::string sibling = before + "[HKEY_LOCAL_MACHINE\\P\\Q\\U]\r\n";
    EXPECT_EQ(Difference(sibling, change, onlyA), "the key HKEY_LOCAL_MACHINE\\P would be missing");
    // A deleted key set again holds the set values only, and its old subkey stays gone.
    change.Set["hkey_local_machine\\p\\q\\t"] =
        KeyWith("HKEY_LOCAL_MACHINE\\P\\Q\\T", "Y", "\x07\0\0\0"s);
    EXPECT_EQ(
        Difference(before, change, onlyA + "[HKEY_LOCAL_MACHINE\\P\\Q\\T]\r\n\"Y\"=dword:7\r\n"),
        "");
}

// The lines of other keys, which a reading of the driver key alone holds nothing of, must
// stay as they were, and each section where it stood among them.
TEST(OutsideDifference, TheLinesOfOtherKeysAndWhereSectionsStandAmongThem) {
    const std::string header = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\" +
                               std::string(kDriver) + "\\Template0]\r\n\"SwitchID\"=dword:0\r\n";
    const std::string a = "[HKEY_USERS\\A]\r\n\"V\"=dword:1\r\n";
    const std::string b = "[HKEY_USERS\\B]\r\n";
    const std::string before = "REGEDIT4\r\n" + a + header + b;
    auto outside = [&](const std::string& after) {
        const auto reach = regfile::Reach::DriverKey;
        return regfile::OutsideDifference(ImportReading::Read(before, kDriver, reach), before, {},
                                          ImportReading::Read(after, kDriver, reach), after);
    };
    EXPECT_EQ(outside(before), "");
    EXPECT_EQ(outside(before + "\r\n \r\n"), "");
    EXPECT_NE(outside("REGEDIT4\r\n" + a + b + header).find("would move"), std::string::npos);
    EXPECT_NE(outside("REGEDIT4\r\n" + header + a + b).find("would move"), std::string::npos);
    const std::string changed = "REGEDIT4\r\n[HKEY_USERS\\A]\r\n\"V\"=dword:2\r\n" + header + b;
    EXPECT_NE(outside(changed).find("from line 3"), std::string::npos) << outside(changed);
}

} // namespace
} // namespace regfile::test
