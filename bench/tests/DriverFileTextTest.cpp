#include "bench/DriverFileText.h"

#include <set>
#include <stdexcept>
#include <string>

#include <gtest/gtest.h>

#include "bench/WorkFiles.h"
#include "regfile/RegFile.h"

namespace bench {
namespace {

constexpr std::size_t kTestSizes[] = {4u << 10, 64u << 10, 1u << 20};

std::size_t Count(std::string_view text, std::string_view what) {
    std::size_t count = 0;
    for (std::size_t at = text.find(what); at != std::string_view::npos;
         at = text.find(what, at + 1))
        ++count;
    return count;
}

// Every line of `text` ends with CR LF: no lone CR, no lone LF.
bool AllCrLf(std::string_view text) {
    for (std::size_t i = 0; i < text.size(); ++i) {
        if (text[i] == '\r' && (i + 1 == text.size() || text[i + 1] != '\n'))
            return false;
        if (text[i] == '\n' && (i == 0 || text[i - 1] != '\r'))
            return false;
    }
    return text.empty() || text.ends_with("\r\n");
}

std::string AllSections(TemplateValues (*valuesOf)(int)) {
    std::string text;
    for (int i = 0; i < 16; ++i)
        text += TemplateSectionText(i, valuesOf(i));
    return text;
}

TEST(TemplateSectionText, IsTheWrittenForm) {
    TemplateValues values;
    values.SwitchId = 10;
    values.TriggerMode[0] = 0x04;
    values.LatchData[6] = 0x01;
    EXPECT_EQ(
        TemplateSectionText(12, values),
        " \r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template12] \r\n"
        "\n\"SwitchID\"=dword:a\r\n"
        "\n\"TriggerMode\"=hex:04,00,00,00,00,00,00,00\r\n"
        "\n\"LatchData\"=hex:00,00,00,00,00,00,01,00\r\n");
}

TEST(GeneratedTemplateValues, SwitchIdsAreAllDifferentAndInRange) {
    std::set<int> ids;
    for (int i = 0; i < 16; ++i) {
        const TemplateValues values = GeneratedTemplateValues(i);
        EXPECT_GE(values.SwitchId, 0);
        EXPECT_LT(values.SwitchId, 16);
        ids.insert(values.SwitchId);
    }
    EXPECT_EQ(ids.size(), 16u);
}

TEST(GenerateDriverFile, HasTheExactSizeAndItsLayoutPointsAtTheTemplates) {
    const std::string sections = AllSections(GeneratedTemplateValues);
    for (std::size_t size : kTestSizes) {
        for (TemplatePlacement placement : {TemplatePlacement::End, TemplatePlacement::Middle}) {
            SCOPED_TRACE(std::to_string(size) + " " + std::string(PlacementName(placement)));
            const DriverFile file = GenerateDriverFile(size, placement, 1);
            ASSERT_EQ(file.Text.size(), size);
            EXPECT_TRUE(file.Text.starts_with("REGEDIT4\r\n"));
            const std::string_view text = file.Text;
            const DriverFileLayout layout = file.Layout;
            EXPECT_EQ(
                text.substr(layout.TemplatesBegin, layout.TemplatesEnd - layout.TemplatesBegin),
                sections);
            // The editor must find each header exactly once: nothing else looks like one.
            EXPECT_EQ(Count(text, "VKR3916S\\Template"), 16u);
            EXPECT_TRUE(AllCrLf(text.substr(0, layout.TemplatesBegin)));
            EXPECT_TRUE(AllCrLf(text.substr(layout.TemplatesEnd)));
            if (placement == TemplatePlacement::End) {
                EXPECT_EQ(layout.TemplatesEnd, size);
            } else {
                const std::size_t middle = (layout.TemplatesBegin + layout.TemplatesEnd) / 2;
                EXPECT_NEAR(static_cast<double>(middle), size / 2.0, size * 0.05);
                // Unrelated keys follow the templates once the file has room for them.
                if (size >= (64u << 10)) {
                    EXPECT_NE(text.find("\r\n[HKEY_", layout.TemplatesEnd), std::string_view::npos);
                }
            }
        }
    }
}

TEST(GenerateDriverFile, HoldsRealisticUnrelatedText) {
    const DriverFile file = GenerateDriverFile(64u << 10, TemplatePlacement::End, 1);
    EXPECT_GT(Count(file.Text, "\r\n["), 100u);
    EXPECT_GT(Count(file.Text, "=dword:"), 200u);
    EXPECT_GT(Count(file.Text, "=hex:"), 100u);
    EXPECT_GT(Count(file.Text, "=hex(7):"), 10u);
    EXPECT_GT(Count(file.Text, "\r\n; "), 10u);
    EXPECT_GT(Count(file.Text, "\r\n\r\n"), 10u);
}

TEST(GenerateDriverFile, IsDeterministicForItsSeed) {
    const DriverFile first = GenerateDriverFile(64u << 10, TemplatePlacement::Middle, 7);
    EXPECT_EQ(first.Text, GenerateDriverFile(64u << 10, TemplatePlacement::Middle, 7).Text);
    EXPECT_NE(first.Text, GenerateDriverFile(64u << 10, TemplatePlacement::Middle, 8).Text);
}

TEST(GenerateDriverFile, RefusesASizeTooSmallForTheTemplates) {
    EXPECT_THROW(GenerateDriverFile(MinimumDriverFileSize() - 1, TemplatePlacement::End, 1),
                 std::invalid_argument);
    EXPECT_EQ(GenerateDriverFile(MinimumDriverFileSize(), TemplatePlacement::End, 1).Text.size(),
              MinimumDriverFileSize());
}

// The editor sees the 16 templates of a generated file with the values they were given.
TEST(GenerateDriverFile, TheEditorReadsEveryTemplate) {
    WorkFiles files;
    for (TemplatePlacement placement : {TemplatePlacement::End, TemplatePlacement::Middle}) {
        SCOPED_TRACE(std::string(PlacementName(placement)));
        files.Restore(4u << 10, placement);
        regfile::RegFile file;
        ASSERT_EQ(file.Open(files.PathOf(4u << 10, placement), "PCI3916"), 0);
        std::uint16_t mask = 0;
        file.ListTemplates(mask);
        EXPECT_EQ(mask, 0xFFFF);
        for (int i = 0; i < 16; ++i) {
            const TemplateValues expected = GeneratedTemplateValues(i);
            std::uint32_t switchId = 99;
            std::uint8_t latch[8] = {};
            std::int32_t type = 0;
            std::uint32_t size = 4;
            EXPECT_EQ(file.ReadValue("VKR3916S", i, "SwitchID", &type, &switchId, &size), 0);
            EXPECT_EQ(switchId, static_cast<std::uint32_t>(expected.SwitchId));
            size = 8;
            EXPECT_EQ(file.ReadValue("VKR3916S", i, "LatchData", &type, latch, &size), 0);
            EXPECT_EQ(std::string(latch, latch + 8),
                      std::string(expected.LatchData, expected.LatchData + 8));
        }
        file.Close();
    }
}

} // namespace
} // namespace bench
