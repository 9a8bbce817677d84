// Inputs found by fuzzing the editor (fuzz/RegFileFuzzer.cpp), each reduced to its cause.
#include <array>
#include <cstdint>
#include <string>

#include "Fixture.h"

namespace regfile::test {
namespace {

using Values = TemplateValues;

class FuzzRegressionTest : public RegFileTest {
protected:
    // One write task as the template table runs it: the section appended when missing,
    // then the three values.
    void WriteTemplate(int index, Values values) const {
        RegFile editor;
        OpenEditor(editor);
        if (editor.SectionExists(index, kKey) == 0)
            editor.AppendSection(index);
        std::array<RegValueSpec, 4> list = values.List();
        ASSERT_EQ(editor.ApplyValueList(kKey, index, list.data(), 1), 1);
        editor.Close();
    }

    // Reads the three values; `found` is the list's result.
    Values ReadTemplate(int index, int& found) const {
        Values values;
        values.SwitchId = 0xEEEEEEEE;
        RegFile editor;
        OpenEditor(editor);
        std::array<RegValueSpec, 4> list = values.List();
        found = editor.ApplyValueList(kKey, index, list.data(), 0);
        editor.Close();
        return values;
    }

    void ExpectReadsBack(int index, const Values& written) const {
        int found = 0;
        const Values read = ReadTemplate(index, found);
        EXPECT_EQ(found, 1);
        EXPECT_EQ(read.SwitchId, written.SwitchId);
        EXPECT_EQ(read.Trigger, written.Trigger);
        EXPECT_EQ(read.Latch, written.Latch);
    }
};

const Values kSample{5, {4, 0, 4, 0, 0, 0, 0, 0}, {1, 0, 0, 0, 0, 0, 1, 0}};

// A zero byte ends the text the scanners see. A section or value written behind it was
// never found again: every save appended another copy, and the template was lost.
TEST_F(FuzzRegressionTest, WritesLandAheadOfAZeroByteAndKeepWhatFollowsIt) {
    const std::string hidden = std::string("\0", 1) + "after the zero\r\n";
    Write("REGEDIT4\r\n" + hidden);
    WriteTemplate(2, kSample);
    const std::string once = Read();
    EXPECT_EQ(once.substr(once.size() - hidden.size()), hidden);
    ExpectReadsBack(2, kSample);

    WriteTemplate(2, kSample);
    EXPECT_EQ(Read(), once) << "a second save of the same template changed the file";

    // A value that the last section lacks goes to the end of that section, ahead of the zero.
    Write(AppendedHeader(4) + "\"SwitchID\"=dword:1\r\n" + hidden);
    WriteTemplate(4, kSample);
    ExpectReadsBack(4, kSample);
    EXPECT_EQ(Read().substr(Read().size() - hidden.size()), hidden);

    // Deleting the last section keeps the bytes behind the zero.
    {
        RegFile editor;
        OpenEditor(editor);
        editor.DeleteSection(4, kKey);
        editor.Close();
    }
    EXPECT_EQ(Read(), " \r\n" + hidden);
}

// The name of a value inside other text (a comment, another value, the header's line) was
// taken for the value's line: writing overwrote that text, and the next value written
// overwrote the line just written, so a template saved as a whole read back incomplete.
TEST_F(FuzzRegressionTest, ValueNamesCountOnlyWhereTheyOpenALine) {
    // Reduced from a fuzzer input: the names stand inside the header's line.
    Write("VKR3916S\\Template0]LatchData1SwitchID");
    WriteTemplate(0, kSample);
    ExpectReadsBack(0, kSample);
    EXPECT_EQ(Read().substr(0, 37), "VKR3916S\\Template0]LatchData1SwitchID");

    // A comment that mentions a value ahead of its line.
    const std::string comment = "; SwitchID must differ between boards\r\n";
    Write(AppendedHeader(1) + comment + "\"SwitchID\"=dword:3\r\n");
    int found = 0;
    EXPECT_EQ(ReadTemplate(1, found).SwitchId, 3u);
    WriteTemplate(1, kSample);
    EXPECT_NE(Read().find(comment), std::string::npos);
    EXPECT_EQ(Read().find("dword:3"), std::string::npos);
    ExpectReadsBack(1, kSample);

    // A name quoted inside another value's line.
    Write(AppendedHeader(3) + "\"TriggerMode\"=hex:00\"SwitchID\"=dword:1\r\n");
    WriteTemplate(3, kSample);
    ExpectReadsBack(3, kSample);

    // A longer name that begins with the one asked for is another value.
    Write(AppendedHeader(5) + "\"SwitchIDs\"=dword:9\r\n\"SwitchID\"=dword:2\r\n");
    EXPECT_EQ(ReadTemplate(5, found).SwitchId, 2u);

    // Blanks ahead of the quote still open the line.
    Write(AppendedHeader(6) + "  \"SwitchID\"=dword:4\r\n");
    EXPECT_EQ(ReadTemplate(6, found).SwitchId, 4u);
}

// A string value without "=" has no text at all; copying it passed a null pointer to
// memcpy (undefined behaviour, reported by the sanitizer build). It is no value.
TEST_F(FuzzRegressionTest, StringValueWithoutEqualsSignStoresNothing) {
    Write(AppendedHeader(2) + "\"SwitchID\"\r\n");
    RegFile editor;
    OpenEditor(editor);
    std::int32_t type = 0;
    std::uint32_t size = 4;
    std::uint32_t value = 0xEEEEEEEE;
    EXPECT_EQ(editor.ReadValue(kKey, 2, "SwitchID", &type, &value, &size), 1);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(size, 4u);
    EXPECT_EQ(value, 0xEEEEEEEEu);
}

} // namespace
} // namespace regfile::test
