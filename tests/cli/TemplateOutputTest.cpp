// What list and show print, and the edits applied to a record's bits.
#include <gtest/gtest.h>

#include <cstdint>
#include <cstring>

#include "cli/TemplateOutput.h"

namespace cli {
namespace {

using templates::TemplateRecord;

// Groups ch0 and ch32 rising, ch0 and ch48 latched, every other bit and odd byte set.
ShownTemplate Sample() {
    return {2, TemplateRecord{123,
                              10,
                              {0x04, 0xFF, 0xF3, 0x01, 0x0C, 0x00, 0x00, 0x80},
                              {0x01, 0x00, 0xFE, 0x00, 0x00, 0x00, 0x01, 0x7F}}};
}

TEST(TemplateOutput, TextForms) {
    EXPECT_EQ(TemplateLine(Sample()),
              "Template2  SwitchID 10  edge ch0=rising ch16=falling ch32=rising ch48=falling"
              "  latch ch0=enable ch16=disable ch32=disable ch48=enable\n");
    EXPECT_EQ(TemplateDetails(Sample()),
              "Template2\n"
              "  SwitchID     10\n"
              "  edge         ch0=rising ch16=falling ch32=rising ch48=falling\n"
              "  latch        ch0=enable ch16=disable ch32=disable ch48=enable\n"
              "  TriggerMode  04,FF,F3,01,0C,00,00,80\n"
              "  LatchData    01,00,FE,00,00,00,01,7F\n");
}

TEST(TemplateOutput, JsonForms) {
    EXPECT_EQ(TemplateJson(Sample()),
              "{\"index\": 2, \"switchId\": 10, \"edges\": {\"ch0\": \"rising\", \"ch16\": "
              "\"falling\", \"ch32\": \"rising\", \"ch48\": \"falling\"}, \"latches\": {\"ch0\": "
              "\"enable\", \"ch16\": \"disable\", \"ch32\": \"disable\", \"ch48\": \"enable\"}, "
              "\"triggerMode\": \"04,FF,F3,01,0C,00,00,80\", \"latchData\": "
              "\"01,00,FE,00,00,00,01,7F\"}");
    EXPECT_EQ(TemplateListJson("C:\\a \"b\".reg", {}),
              "{\n  \"file\": \"C:\\\\a \\\"b\\\".reg\",\n  \"templates\": []\n}\n");
    const ShownTemplate two[] = {Sample(), Sample()};
    const std::string list = TemplateListJson("f", two);
    EXPECT_EQ(list, "{\n  \"file\": \"f\",\n  \"templates\": [\n    " + TemplateJson(two[0]) +
                        ",\n    " + TemplateJson(two[1]) + "\n  ]\n}\n");
    // Control bytes escaped, UTF-8 copied, a byte that is not UTF-8 replaced by U+FFFD: the
    // list of a file with any name is JSON.
    EXPECT_EQ(TemplateListJson(std::string("a\tb\r\n\x01\x1f\x7f\xc3\xa9\xff", 11), {}),
              "{\n  \"file\": \"a\\tb\\r\\n\\u0001\\u001f\x7f\xc3\xa9\xef\xbf\xbd\",\n"
              "  \"templates\": []\n}\n");
}

// A dword beyond 0 to 15 is shown as check reports it, unsigned, in every form.
TEST(TemplateOutput, SwitchIdOutOfRangeIsUnsigned) {
    ShownTemplate shown = Sample();
    shown.Record.SwitchId = -1; // "dword:ffffffff"
    EXPECT_NE(TemplateLine(shown).find("SwitchID 4294967295  edge"), std::string::npos);
    EXPECT_NE(TemplateDetails(shown).find("  SwitchID     4294967295\n"), std::string::npos);
    EXPECT_NE(TemplateJson(shown).find("\"switchId\": 4294967295,"), std::string::npos);
    shown.Record.SwitchId = INT32_MIN; // "dword:80000000"
    EXPECT_NE(TemplateJson(shown).find("\"switchId\": 2147483648,"), std::string::npos);
}

TEST(TemplateOutput, EditsChangeOnlyTheirBits) {
    ShownTemplate shown = Sample();
    TemplateEdits edits;
    edits.SwitchId = 4; // the switch ID follows the table's rule, not this
    edits.Rising = {false, true, std::nullopt, true};
    edits.LatchEnabled = {std::nullopt, true, false, false};
    ApplyGroupEdits(shown.Record, edits);
    const std::uint8_t trigger[8] = {0x00, 0xFF, 0xF7, 0x01, 0x0C, 0x00, 0x04, 0x80};
    const std::uint8_t latch[8] = {0x01, 0x00, 0xFF, 0x00, 0x00, 0x00, 0x00, 0x7F};
    EXPECT_EQ(0, std::memcmp(shown.Record.TriggerMode, trigger, 8));
    EXPECT_EQ(0, std::memcmp(shown.Record.LatchData, latch, 8));
    EXPECT_EQ(shown.Record.SwitchId, 10);
    EXPECT_EQ(shown.Record.Tag, 123);
}

} // namespace
} // namespace cli
