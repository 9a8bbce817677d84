// The search for template sections against the line-by-line reading of the key lines, over
// generated texts full of near misses, and fed to the search in pieces of every size.
#include <gtest/gtest.h>

#include <random>
#include <string>

#include "regfile/KeyLines.h"
#include "tests/support/ReferenceSections.h"

namespace regfile::test {
namespace {

constexpr std::string_view kDriverKey = "VKR3916S";

// A text of random lines, each one a hazard for the search: headers in every spelling,
// keys that only look like a template's, hex lists carried on by "\" (over blank and
// comment lines), brackets inside values, every line end, now and then a zero byte.
std::string RandomText(std::mt19937& random) {
    const std::string path = "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\";
    const char* ends[] = {"\r\n", "\n", "\r", "\r\n"};
    auto pick = [&](int n) { return static_cast<int>(random() % static_cast<unsigned>(n)); };
    std::string text;
    const int lines = 1 + pick(40);
    for (int i = 0; i < lines; ++i) {
        std::string line;
        switch (pick(14)) {
        case 0:
        case 1:
            line = "[" + path + "Template" + std::to_string(pick(17)) + "]";
            break;
        case 2:
            line =
                " \t[hkey_local_machine\\\\drivers\\builtin\\\\pci\\template\\vkr3916s\\template" +
                std::to_string(pick(16)) + "\\] trailing";
            break;
        case 3:
            line = "[HKEY_LOCAL_MACHINE|Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template1]";
            break;
        case 4:
            line = "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Instance\\Serial" +
                   std::to_string(pick(9)) + "]";
            break;
        case 5:
            line = "\"Data\"=hex:01,02,\\";
            break;
        case 6:
            line = "  0A,0B,\\ ; carried on";
            break;
        case 7:
            line = "; [" + path + "Template2]";
            break;
        case 8:
            line = "";
            break;
        case 9:
            line = "\"Path\"=\"C:\\\\dir\\\\[x]\"";
            break;
        case 10:
            line = "[" + path + "Template3";
            break;
        case 11:
            line = "\"SwitchID\"=dword:3";
            break;
        case 12:
            line = "[" + path.substr(0, pick(static_cast<int>(path.size()))) + "]";
            break;
        default:
            line = pick(20) == 0 ? std::string(1, '\0')
                                 : "[" + path + "Template" + std::to_string(pick(16)) + "\\Sub]";
            break;
        }
        text += line;
        text += ends[pick(4)];
    }
    return text;
}

TEST(KeyLineSearch, AgreesWithTheLineByLineReadingInWholeAndInPieces) {
    std::mt19937 random(20261209);
    for (int round = 0; round < 3000; ++round) {
        const std::string bytes = RandomText(random);
        // The search, like every scanner, sees the text up to its first zero byte.
        const std::string_view text = std::string_view(bytes).substr(0, bytes.find('\0'));
        const auto expected = testing_support::ReferenceSections(text, kDriverKey);
        ASSERT_TRUE(testing_support::SameSections(FindTemplateSections(text, kDriverKey), expected))
            << "round " << round << ": " << bytes;

        // The same text arriving in pieces, as a file read in parts.
        TemplateSectionScan scan(kDriverKey);
        for (std::size_t got = 0; got < text.size();) {
            got = std::min(text.size(), got + 1 + random() % 48);
            scan.Scan(text.substr(0, got), false);
        }
        scan.Scan(text, true);
        ASSERT_TRUE(testing_support::SameSections(scan.Take(), expected))
            << "round " << round << " in pieces: " << bytes;
    }
}

} // namespace
} // namespace regfile::test
