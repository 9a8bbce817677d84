// The text edits shared by the editor and the Save, over the import's reading of a text.
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "regfile/ImportReading.h"
#include "regfile/TextEdits.h"

namespace regfile::test {
namespace {

constexpr std::string_view kKey = "VKR3916S";

std::string Header(int index) {
    return SectionHeaderLine(kKey, index);
}

// The text with the one value of template 2 named `name` replaced by `line`.
std::string Replaced(const std::string& text, const char* name, const std::string& line) {
    const ImportReading reading = ImportReading::Read(text, kKey);
    const ImportedValue* value = reading.FindValue(reading.TemplateKey(2), name);
    EXPECT_NE(value, nullptr) << name;
    if (value == nullptr)
        return text;
    return ApplyEdits(text, {ReplaceValueEdit(text, value->Source, line)});
}

TEST(TextEdits, ReplacingAValueTakesAllItsLinesAndKeepsWhatFollows) {
    const std::string head = "REGEDIT4\r\n" + Header(2) + "\r\n";
    // A list carried over a blank and a comment line: every line of it goes, and the last
    // line's LF stays the line end.
    EXPECT_EQ(Replaced(head + "\"T\"=hex:01,\\\r\n\r\n; c\r\n  02\n\"X\"=dword:1\r\n", "T",
                       "\"T\"=hex:05\r\n"),
              head + "\"T\"=hex:05\n\"X\"=dword:1\r\n");
    // A comment keeps the byte ahead of it, on a line of its own.
    EXPECT_EQ(Replaced(head + "\"T\"=hex:01 ;old\r\n", "T", "\"T\"=hex:05\r\n"),
              head + "\"T\"=hex:05\r\n ;old\r\n");
    // A line already as written is left alone, comment and blanks ahead of it included.
    const std::string same = head + "  \"T\"=hex:05 ;old\r\n";
    EXPECT_EQ(Replaced(same, "T", "\"T\"=hex:05\r\n"), same);
    // The last text of the file gets the composed CR LF.
    EXPECT_EQ(Replaced(head + "\"T\"=dword:1", "T", "\"T\"=dword:2\r\n"),
              head + "\"T\"=dword:2\r\n");
}

TEST(TextEdits, DeletingATemplateTakesItsSubkeysButNoOtherTemplate) {
    const std::string path = ImportReading::TemplateKeyPath(kKey, 1);
    const std::string text = "REGEDIT4\r\n" + Header(1) + "\r\n\"A\"=dword:1\r\n[" + path +
                             "\\Sub]\r\n\"B\"=dword:2\r\n" + Header(10) + "\r\n\"C\"=dword:3\r\n" +
                             Header(1) + " \r\n\"D\"=dword:4\r\n";
    const ImportReading reading = ImportReading::Read(text, kKey);
    std::vector<TextEdit> edits;
    DeleteKeyEdits(reading, path, 1, edits);
    ASSERT_EQ(edits.size(), 3u);
    EXPECT_EQ(FindOverlap(edits), 0u);
    EXPECT_EQ(ApplyEdits(text, edits), "REGEDIT4\r\n" + Header(10) + "\r\n\"C\"=dword:3\r\n");
    EXPECT_FALSE(
        IsKeyOrBelow(LowerCase(ImportReading::TemplateKeyPath(kKey, 10)), LowerCase(path)));
}

TEST(TextEdits, StringBytesNarrowBackToTheirSingleByteText) {
    std::string all;
    for (int byte = 1; byte < 256; ++byte)
        all += static_cast<char>(byte);
    EXPECT_EQ(NarrowText(WidenText(all) + std::string(2, '\0') + "x\0"), all);
    // A code unit outside the code page has no byte of its own.
    EXPECT_EQ(NarrowText(std::string("A\0\x3A\x26", 4)), "A?");
}

TEST(TextEdits, TheReadingTellsOfAListTheTextsEndCutShort) {
    const std::string carried =
        "REGEDIT4\r\n[HKEY_CURRENT_USER\\X]\r\n\"T\"=hex:01,\\\r\n02,\\ ;c\r\n";
    EXPECT_EQ(ImportReading::Read(carried, kKey).CarriedPastEnd(), carried.rfind('\\'));
    EXPECT_FALSE(ImportReading::Read("REGEDIT4\r\n\"T\"=hex:01,02\r\n", kKey).CarriedPastEnd());
}

} // namespace
} // namespace regfile::test
