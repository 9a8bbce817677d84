// The document of export and apply: what a sound one reads as, and each fault named with
// its place in the document.
#include <gtest/gtest.h>

#include <cstring>
#include <random>

#include "cli/TemplateDocument.h"

namespace cli {
namespace {

using templates::TemplateRecord;

const char kGroupsOff[] = "\"edges\": {\"ch0\": \"falling\", \"ch16\": \"falling\", \"ch32\": "
                          "\"falling\", \"ch48\": \"falling\"}, \"latches\": {\"ch0\": "
                          "\"disable\", \"ch16\": \"disable\", \"ch32\": \"disable\", \"ch48\": "
                          "\"disable\"}";

std::string Document(const std::string& templateList) {
    return "{\"version\": 1, \"templates\": [" + templateList + "]}";
}

std::string Template(int index, const std::string& rest) {
    return "{\"index\": " + std::to_string(index) + ", " + rest + "}";
}

std::string Line(const std::string& text, std::size_t number) {
    std::size_t start = 0;
    for (std::size_t n = 0; n < number && start != std::string::npos; ++n)
        start = text.find('\n', start) + 1;
    return text.substr(start, text.find('\n', start) - start);
}

std::vector<std::string> Errors(const std::string& text) {
    return ReadTemplateDocument(text).Errors;
}

TEST(TemplateDocument, BytesFollowTheWordsWhereNotGiven) {
    const DocumentReading reading = ReadTemplateDocument(
        Document(Template(4, "\"switchId\": 2, \"edges\": {\"ch0\": \"rising\", \"ch16\": "
                             "\"falling\", \"ch32\": \"falling\", \"ch48\": \"rising\"}, "
                             "\"latches\": {\"ch0\": \"disable\", \"ch16\": \"enable\", \"ch32\": "
                             "\"disable\", \"ch48\": \"disable\"}, \"latchData\": "
                             "\"80,01,01,fF,00,00,00,00\"")));
    ASSERT_TRUE(reading.Errors.empty()) << reading.Errors.front();
    ASSERT_EQ(reading.Templates.size(), 1u);
    const DocumentTemplate& read = reading.Templates[0];
    EXPECT_EQ(read.Index, 4);
    EXPECT_EQ(read.Record.SwitchId, 2);
    EXPECT_EQ(read.Record.Tag, templates::kRecordTag);
    const std::uint8_t trigger[8] = {0x04, 0, 0, 0, 0, 0, 0x04, 0};
    const std::uint8_t latch[8] = {0x80, 0x01, 0x01, 0xFF, 0, 0, 0, 0};
    EXPECT_EQ(0, std::memcmp(read.Record.TriggerMode, trigger, 8));
    EXPECT_EQ(0, std::memcmp(read.Record.LatchData, latch, 8));
}

// Export writes the bytes only where they hold more than the words; reading gives back
// every record.
TEST(TemplateDocument, ExportReadsBackAsTheRecords) {
    std::mt19937 random(7);
    for (int round = 0; round < 200; ++round) {
        std::vector<ShownTemplate> shown;
        for (int i = 0; i < 16; ++i) {
            if (random() % 3 == 0)
                continue;
            TemplateRecord record{templates::kRecordTag, i, {}, {}};
            for (int b = 0; b < 8; ++b) {
                record.TriggerMode[b] = static_cast<std::uint8_t>(random() % 2 ? random() : 0);
                record.LatchData[b] = static_cast<std::uint8_t>(random() % 8 ? 0 : random());
            }
            shown.push_back({i, record});
        }
        const std::string text = TemplateDocumentText(shown);
        const DocumentReading reading = ReadTemplateDocument(text);
        ASSERT_TRUE(reading.Errors.empty()) << reading.Errors.front();
        ASSERT_EQ(reading.Templates.size(), shown.size());
        for (std::size_t k = 0; k < shown.size(); ++k) {
            const TemplateRecord& a = shown[k].Record;
            const TemplateRecord& b = reading.Templates[k].Record;
            EXPECT_EQ(reading.Templates[k].Index, shown[k].Index);
            EXPECT_EQ(0, std::memcmp(&a, &b, sizeof a)) << text;
            // Line 3 + k of the layout is template k's.
            const std::string line = Line(text, 3 + k);
            EXPECT_EQ(line.find("\"triggerMode\"") != std::string::npos, HasOtherTriggerBits(a))
                << line;
            EXPECT_EQ(line.find("\"latchData\"") != std::string::npos, HasOtherLatchBits(a))
                << line;
        }
    }
    const ShownTemplate plain{1, TemplateRecord{templates::kRecordTag, 1, {4, 0, 0, 0, 4}, {1}}};
    EXPECT_EQ(TemplateDocumentText({&plain, 1}),
              "{\n  \"version\": 1,\n  \"templates\": [\n    {\"index\": 1, \"switchId\": 1, "
              "\"edges\": {\"ch0\": \"rising\", \"ch16\": \"falling\", \"ch32\": \"rising\", "
              "\"ch48\": \"falling\"}, \"latches\": {\"ch0\": \"enable\", \"ch16\": \"disable\", "
              "\"ch32\": \"disable\", \"ch48\": \"disable\"}}\n  ]\n}\n");
    ShownTemplate odd = plain;
    odd.Record.TriggerMode[1] = 0x04; // an odd byte's bit is not an edge
    EXPECT_NE(TemplateDocumentText({&odd, 1}).find("\"triggerMode\": \"04,04,00,00,04,00,00,00\"}"),
              std::string::npos);
    EXPECT_EQ(TemplateDocumentText({}), "{\n  \"version\": 1,\n  \"templates\": []\n}\n");
}

TEST(TemplateDocument, EachFaultNamesItsPlace) {
    struct Case {
        std::string Text;
        std::vector<std::string> Errors;
    };
    const std::string off = kGroupsOff;
    const Case cases[] = {
        {"[]", {"the document: an object is expected, not an array"}},
        {"{\"templates\": []}", {"version: missing"}},
        {"{\"version\": 2, \"templates\": {}}",
         {"version: 2 is not a version this program reads (1)",
          "templates: an array is expected, not an object"}},
        {Document(Template(-1, "\"switchId\": 18446744073709551616, " + off)),
         {"templates[0].index: -1 is outside 0..15",
          "templates[0].switchId: 1.8446744073709552e+19 is not a whole number"}},
        {Document(Template(0, "\"switchId\": 99999999999999999, " + off)),
         {"templates[0].switchId: 99999999999999999 is outside 0..15"}},
        {Document("3, null"),
         {"templates[0]: an object is expected, not a whole number",
          "templates[1]: an object is expected, not null"}},
        {Document(Template(1, "\"switchId\": 1, " + off +
                                  ", \"triggerMode\": \"04,00,00,00,00,"
                                  "00,00,0G\"")),
         {"templates[0].triggerMode: \"04,00,00,00,00,00,00,0G\" is not 8 bytes of two hex "
          "digits separated by commas"}},
        {Document(Template(1, "\"switchId\": 1, " + off +
                                  ", \"latchData\": \"00,00,00,00,00,00,"
                                  "01,00\"")),
         {"templates[0].latchData: byte 6 says ch48 is enable, latches.ch48 says disable"}},
        {Document(Template(1, "\"switchId\": 1, " + off) + ", " +
                  Template(2, "\"switchId\": 2, \"edges\": {\"ch0\": \"rising\", \"ch0\": "
                              "\"falling\", \"ch16\": \"falling\", \"ch32\": \"falling\", "
                              "\"ch48\": \"falling\"}, \"latches\": {\"ch0\": \"disable\", "
                              "\"ch16\": \"disable\", \"ch32\": \"disable\", \"ch48\": true}")),
         {"templates[1].edges.ch0: the field is given twice",
          "templates[1].latches.ch48: a text is expected, not true or false"}},
        {Document(Template(1, "\"switchId\": 1, " + off) + ", " +
                  Template(1, "\"switchId\": 1, " + off)),
         {"templates[1].index: 1 is also the index of templates[0]",
          "templates[1].switchId: 1 is also the switch ID of templates[0]"}},
        {"{\"version\": 1, \"templates\": [\n{\"index\": 1,]}",
         {"parse error at line 2, column 13: syntax error while parsing object key - unexpected "
          "']'; expected string literal"}},
    };
    for (const Case& c : cases)
        EXPECT_EQ(Errors(c.Text), c.Errors) << c.Text;
}

} // namespace
} // namespace cli
