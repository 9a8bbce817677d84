// The reading of the driver key alone passes over the lines of other keys; whatever those
// lines hold, it must make of the driver key what the reading of everything makes of it.
#include <gtest/gtest.h>

#include <random>
#include <string>
#include <vector>

#include "ReachAgreement.h"
#include "regfile/ImportReading.h"

namespace {

using regfile::DriverKeyDisagreement;
using regfile::ImportReading;
using regfile::Reach;

const std::string kTemplate =
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template";

std::string Template(int index, int id) {
    return kTemplate + std::to_string(index) + "]\r\n\"SwitchID\"=dword:" + std::to_string(id) +
           "\r\n\"TriggerMode\"=hex:01,02,03,04,05,06,07,08\r\n";
}

// Lines of other keys that change what the import makes of the lines after them.
const std::vector<std::string> kHazards = {
    "[HKEY_USERS\\Other]\r\n\"List\"=hex:01,\\\r\n",                   // carries into the next line
    "[HKEY_USERS\\Other]\r\n\"List\"=hex:01,\\ ; more\r\n\r\n; c\r\n", // ... past a comment
    "[HKEY_USERS\\Other]\r\n\"A\\0B\"=dword:1\r\n",                    // undefined from here
    "[HKEY_USERS\\Other]\r\n\"S\"=\"x\\0y\"\r\n",
    "[HKEY_USERS\\Other]\r\n\"T\"=hex(ffffffff):01\r\n",
    "[HKEY_USERS\\Other]\r\n\"T\"=hex(-1):01\r\n",
    "[HKEY_USERS\\Other]\r\n\"M\"=hex(7):;\r\n",
    "[HKEY_USERS\\Other]\r\n\"M\"=hex(7):\\\r\n",
    "[HKEY_USERS\\" + std::string(300, 'k') + "]\r\n", // a key name too long
    "[-HKEY_LOCAL_MACHINE\\Drivers]\r\n",              // deletes the templates
    "[-HKEY_NOWHERE\\X]\r\n",                          // the import stops
    "[-HKEY_LOCAL_MACHINE]\r\n",
    "[HKEY_USERS\\Other]\r\n\"S\"=\"[HKEY_USERS\\Fake]\"\r\n", // a "[" inside a line
    "[HKEY_LOCAL_MACHINE\\\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template3]\r\n\"SwitchID\"="
    "dword:9\r\n",
    "[hkey_local_machine\\drivers\\builtin\\pci\\template\\vkr3916s\\template4\\]\r\n\"SwitchID\"="
    "dword:8\r\n",
    "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn]\r\n\"Value\"=dword:1\r\n",  // a key above it
    "[HKEY_LOCAL_MACHINE\\DRIVERS\\BuiltIn\\PCI\\TEMPLATE\\Other]\r\n", // spells keys above it
    "[ HKEY_USERS\\Ignored]\r\n\"Stray\"=dword:2\r\n",
    "[HKEY_USERS\\NoClose\r\n\"Stray\"=dword:3\r\n",
    "\"NoKey\"=dword:4\r\n",
    "[HKEY_USERS\\Other]\r\n\"Type\"=hex(7):41,00,00,00\r\n\"Desc\"=\"Board (rev 2)\"\r\n",
    "[HKEY_USERS\\Other]\r\n\"Long\"=hex:01,02,\\\r\n  03,04\r\n",
    "[HKEY_CURRENT_USER\\A]\r\n\"Path\"=\"C:\\\\dir\\\\\" ; a comment \\\r\n",
};

TEST(DriverKeyReading, AgreesWithTheWholeReadingOnEachHazard) {
    for (const std::string& hazard : kHazards) {
        for (const std::string& text :
             {"REGEDIT4\r\n\r\n" + hazard + Template(1, 1) + Template(2, 2),
              "REGEDIT4\r\n" + Template(1, 1) + hazard + "\r\n" + Template(2, 2),
              "REGEDIT4\r\n" + Template(1, 1) + hazard}) {
            EXPECT_EQ(DriverKeyDisagreement(text, "VKR3916S"), "") << text;
        }
    }
}

TEST(DriverKeyReading, CountsLinesOverEveryKindOfLineEnd) {
    for (const std::string end : {"\r\n", "\n", "\r"}) {
        std::string text = "REGEDIT4" + end;
        for (int i = 0; i < 300; ++i)
            text += "[HKEY_USERS\\K" + std::to_string(i) + "]" + end + "\"V\"=dword:1" + end + end;
        text += kTemplate + "7]" + end + "\"SwitchID\"=dword:7" + end;
        EXPECT_EQ(DriverKeyDisagreement(text, "VKR3916S"), "");
        const ImportReading part = ImportReading::Read(text, "VKR3916S", Reach::DriverKey);
        ASSERT_NE(part.LastSection(7), nullptr);
        EXPECT_EQ(part.LastSection(7)->Line, 902u);
        EXPECT_EQ(part.LineOf(part.LastSection(7)->Bracket), 902u);
    }
}

TEST(DriverKeyReading, HoldsNothingOfOtherKeys) {
    std::string text = "REGEDIT4\r\n";
    for (int i = 0; i < 100; ++i)
        text +=
            "[HKEY_LOCAL_MACHINE\\Drivers\\Other" + std::to_string(i) + "]\r\n\"V\"=dword:1\r\n";
    text += Template(0, 0);
    const ImportReading part = ImportReading::Read(text, "VKR3916S", Reach::DriverKey);
    EXPECT_EQ(part.Templates(), 1u);
    EXPECT_LT(part.Keys().size(), 10u);
    EXPECT_GT(ImportReading::Read(text, "VKR3916S").Keys().size(), 100u);
}

// Files of hazards, other keys' lines and templates in random order, with random line ends.
TEST(DriverKeyReading, AgreesOnShuffledFiles) {
    std::vector<std::string> pieces = kHazards;
    for (int i = 0; i < 16; ++i)
        pieces.push_back(Template(i, i));
    pieces.push_back("[HKEY_USERS\\Plain]\r\n\"Flags\"=hex:01,02\r\n; note\r\n");
    pieces.push_back("\r\n");
    std::mt19937 random(3916);
    for (int round = 0; round < 3000; ++round) {
        std::string text = "REGEDIT4\r\n";
        const int count = 1 + static_cast<int>(random() % 12);
        for (int i = 0; i < count; ++i)
            text += pieces[random() % pieces.size()];
        if (random() % 4 == 0) {
            for (char& c : text) {
                if (c == '\r' && random() % 3 == 0)
                    c = ' ';
            }
        }
        if (random() % 5 == 0)
            text.resize(random() % text.size());
        ASSERT_EQ(DriverKeyDisagreement(text, "VKR3916S"), "") << text;
    }
}

} // namespace
