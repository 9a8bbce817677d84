// Writing and reading value lines and value lists inside a template section.
#include <array>
#include <cstdint>
#include <cstring>
#include <string>

#include "Fixture.h"
#include "platform/File.h"

namespace regfile::test {
namespace {

const std::string kSwitchLine = "\"SwitchID\"=dword:a\r\n";
const std::string kTriggerLine = "\"TriggerMode\"=hex:04,00,04,00,00,00,00,00\r\n";
const std::string kLatchLine = "\"LatchData\"=hex:01,00,00,00,00,00,01,00\r\n";

std::string Section2() {
    return AppendedHeader(2) + "\n" + kSwitchLine + "\n" + kTriggerLine + "\n" + kLatchLine;
}

using ValueTest = RegFileTest;

class ValueFileTest : public RegFileTest {
protected:
    // Runs one write task on a file holding `before`; returns the file afterwards.
    template <typename Task> std::string Edit(const std::string& before, Task task) {
        Write(before);
        RegFile editor;
        OpenEditor(editor);
        task(editor);
        editor.Close();
        return Read();
    }
};

int WriteDword(RegFile& editor, int index, const char* name, std::uint32_t value) {
    return editor.WriteValue(kKey, index, name, REG_DWORD, &value, 4);
}

TEST_F(ValueFileTest, NewSectionWithItsThreeValues) {
    std::uint32_t switchId = 10;
    std::array<std::uint8_t, 8> trigger{4, 0, 4, 0, 0, 0, 0, 0};
    std::array<std::uint8_t, 8> latch{1, 0, 0, 0, 0, 0, 1, 0};
    RegValueSpec list[] = {{"SwitchID", REG_DWORD, 4, &switchId},
                           {"TriggerMode", REG_BINARY, 8, trigger.data()},
                           {"LatchData", REG_BINARY, 8, latch.data()},
                           {nullptr, 0, 0, nullptr}};
    std::string after = Edit("REGEDIT4\r\n", [&](RegFile& editor) {
        ASSERT_EQ(editor.SectionExists(2, kKey), 0);
        editor.AppendSection(2);
        EXPECT_EQ(editor.ApplyValueList(kKey, 2, list, 1), 1);
    });
    EXPECT_EQ(after, "REGEDIT4\r\n" + Section2());
}

TEST_F(ValueFileTest, ReplacementKeepsLineEndsAndOtherLines) {
    const std::string tail = AppendedHeader(3) + "\n" + kSwitchLine;
    std::string after = Edit(Section2() + tail, [](RegFile& editor) {
        EXPECT_EQ(WriteDword(editor, 2, "SwitchID", 5), 0);
        EXPECT_EQ(editor.LastIndex(), 2);
    });
    std::string expected = Section2();
    expected.replace(expected.find("dword:a"), 7, "dword:5");
    EXPECT_EQ(after, expected + tail);
}

TEST_F(ValueFileTest, ReplacementKeepsATrailingCommentOnItsOwnLine) {
    std::string after = Edit(AppendedHeader(2) + "\"SwitchID\"=dword:3 ;old\r\n" + kLatchLine,
                             [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 5); });
    EXPECT_EQ(after, AppendedHeader(2) + "\"SwitchID\"=dword:5\r\n ;old\r\n" + kLatchLine);
}

TEST_F(ValueFileTest, MissingValueGoesToTheEndOfItsSection) {
    // Last section of the file: at the file's end. An earlier section: ahead of the line
    // holding the next "[", never into the following section.
    const std::string second = AppendedHeader(3) + "\n" + kSwitchLine;
    std::string after = Edit(AppendedHeader(2) + second, [](RegFile& editor) {
        WriteDword(editor, 3, "Extra", 1);
        WriteDword(editor, 2, "SwitchID", 7);
    });
    EXPECT_EQ(after, AppendedHeader(2) + " \r\n\n\"SwitchID\"=dword:7\r\n" + Header(3) + " \r\n\n" +
                         kSwitchLine + "\n\"Extra\"=dword:1\r\n");

    // A "[" inside a comment is content: the section runs on past it.
    const std::string notes = "; see [notes]\r\n";
    after = Edit(AppendedHeader(2) + notes,
                 [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 7); });
    EXPECT_EQ(after, AppendedHeader(2) + notes + "\n\"SwitchID\"=dword:7\r\n");
}

TEST_F(ValueFileTest, AbsentSectionGetsTheLineAtTheFileEnd) {
    std::string after =
        Edit("A\r\n", [](RegFile& editor) { EXPECT_EQ(WriteDword(editor, 9, "SwitchID", 0), 0); });
    EXPECT_EQ(after, "A\r\n\"SwitchID\"=dword:0\r\n");
}

TEST_F(ValueFileTest, WrittenForms) {
    std::string after = Edit(AppendedHeader(1), [](RegFile& editor) {
        WriteDword(editor, 1, "Max", 4294967295u);
        WriteDword(editor, 1, "Fifteen", 15);
        std::uint8_t bytes[] = {0x0A, 0xFF};
        editor.WriteValue(kKey, 1, "Bytes", REG_BINARY, bytes, 2);
        editor.WriteValue(kKey, 1, "Text", REG_SZ, "abc\0def", 7);
        editor.WriteValue(kKey, 1, "Multi", REG_MULTI_SZ, "a", 1);
        editor.WriteValue(kKey, 1, "None", 0, "x", 1);
    });
    EXPECT_EQ(after, AppendedHeader(1) + "\n\"Max\"=dword:ffffffff\r\n"
                                         "\n\"Fifteen\"=dword:f\r\n"
                                         "\n\"Bytes\"=hex:0A,FF\r\n"
                                         "\n\"Text\"=\"abc\"\r\n"
                                         "\n\"Multi\"=multi_sz:61,00,00\r\n"
                                         "\n\"None\"\r\n");
}

TEST_F(ValueFileTest, UnsoundLinesAreRefusedAndChangeNothing) {
    const std::string before = Section2();
    std::string after = Edit(before, [](RegFile& editor) {
        std::uint32_t value = 1;
        std::uint8_t bytes[83] = {};
        // "N"=hex: and 83 bytes with CR LF is 258 bytes; 82 bytes give exactly 255.
        EXPECT_EQ(editor.WriteValue(kKey, 2, "N", REG_BINARY, bytes, 83), 1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, std::string(250, 'n').c_str(), REG_DWORD, &value, 4),
                  1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, "LatchData", REG_BINARY, bytes, 0), 1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, "Two\r\nLines", REG_DWORD, &value, 4), 1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, "Text", REG_SZ, "a\r\nb", 4), 1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, nullptr, REG_DWORD, &value, 4), 1);
        EXPECT_EQ(editor.WriteValue(kKey, 2, "SwitchID", REG_DWORD, nullptr, 4), 1);
    });
    EXPECT_EQ(after, before);

    after = Edit(before, [](RegFile& editor) {
        std::uint8_t bytes[82] = {};
        EXPECT_EQ(editor.WriteValue(kKey, 2, "N", REG_BINARY, bytes, 82), 0);
    });
    EXPECT_EQ(after.size() - before.size(), 1u + 255u);
}

TEST_F(ValueFileTest, LineWithoutCrLfEndsAtItsOwnLineEnd) {
    // A lone LF (or CR) ends the old line and stays its line end; the next line stays.
    std::string after = Edit(AppendedHeader(2) + "\"SwitchID\"=dword:3\n" + kLatchLine,
                             [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 5); });
    EXPECT_EQ(after, AppendedHeader(2) + "\"SwitchID\"=dword:5\n" + kLatchLine);
    after = Edit("[x]\r" + AppendedHeader(2) + "\"SwitchID\"=dword:3\r\"A\"=dword:1\r",
                 [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 0x15); });
    EXPECT_EQ(after, "[x]\r" + AppendedHeader(2) + "\"SwitchID\"=dword:15\r\"A\"=dword:1\r");
    // At the text's end without a line end, the new line gets CR LF.
    after = Edit(AppendedHeader(2) + "\"SwitchID\"=dword:3",
                 [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 5); });
    EXPECT_EQ(after, AppendedHeader(2) + "\"SwitchID\"=dword:5\r\n");

    // A "[" behind a value's text is no key line, and the import refuses the line: the value
    // is missing and goes to the end of the section.
    const std::string refused = AppendedHeader(2) + "\"SwitchID\"=dword:3" + Header(4) + "\r\n";
    after = Edit(refused, [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 5); });
    EXPECT_EQ(after, refused + "\n\"SwitchID\"=dword:5\r\n");
}

struct ReadResult {
    int Result = -1;
    std::int32_t Type = -1;
    std::uint32_t Size = 0;
    std::array<std::uint8_t, 12> Data{};
};

class ReadTest : public RegFileTest {
protected:
    // Reads `name` from template 2 whose section holds `lines`, with `capacity` bytes.
    ReadResult ReadFrom(const std::string& lines, const char* name, std::uint32_t capacity,
                        bool withData = true) {
        Write(AppendedHeader(2) + lines + AppendedHeader(3));
        RegFile editor;
        EXPECT_EQ(editor.Open(path_, kModel), 0);
        ReadResult read;
        read.Data.fill(0xEE);
        read.Size = capacity;
        read.Result = editor.ReadValue(kKey, 2, name, &read.Type,
                                       withData ? read.Data.data() : nullptr, &read.Size);
        return read;
    }
};

std::uint32_t DwordOf(const ReadResult& read) {
    return static_cast<std::uint32_t>(read.Data[0] | read.Data[1] << 8 | read.Data[2] << 16 |
                                      read.Data[3] << 24);
}

TEST_F(ReadTest, Dwords) {
    for (const auto& [text, value] : {std::pair<std::string, std::uint32_t>{"0000000F", 15},
                                      {"A", 10},
                                      {"a ;note", 10},
                                      {" 7;note", 7},
                                      {"ffffffff", 4294967295u}}) {
        ReadResult read = ReadFrom("\"SwitchID\"=dword:" + text + "\r\n", "SwitchID", 4);
        EXPECT_EQ(read.Result, 0) << text;
        EXPECT_EQ(read.Type, REG_DWORD);
        EXPECT_EQ(read.Size, 4u);
        EXPECT_EQ(DwordOf(read), value) << text;
        EXPECT_EQ(read.Data[4], 0xEE);
    }
    // Forms the importer refuses (more than 8 digits, "0x", other text behind the digits),
    // or a buffer too small for a dword: reported, nothing stored.
    for (const char* text : {"1ffffffff", "00000000000a", "0x1f", "3 x", "3[xx", ""}) {
        ReadResult refused =
            ReadFrom("\"SwitchID\"=dword:" + std::string(text) + "\r\n", "SwitchID", 4);
        EXPECT_EQ(refused.Result, 1) << text;
        EXPECT_EQ(refused.Type, -1) << text;
    }
    ReadResult small = ReadFrom("\"SwitchID\"=dword:5\r\n", "SwitchID", 2);
    EXPECT_EQ(small.Result, 1);
    EXPECT_EQ(small.Data[0], 0xEE);
}

TEST_F(ReadTest, HexForms) {
    ReadResult blanks = ReadFrom("\"T\"=hex:04,00, 04\r\n", "T", 8);
    EXPECT_EQ(blanks.Result, 0);
    EXPECT_EQ(blanks.Type, REG_BINARY);
    EXPECT_EQ(blanks.Size, 3u);
    EXPECT_EQ(blanks.Data[0], 4);
    EXPECT_EQ(blanks.Data[1], 0);
    EXPECT_EQ(blanks.Data[2], 4);
    EXPECT_EQ(blanks.Data[3], 0xEE);

    // One digit is a byte, as the importer reads it; so are three whose value fits a byte.
    ReadResult shortHex = ReadFrom("\"T\"=hex:4,0\r\n", "T", 8);
    EXPECT_EQ(shortHex.Size, 2u);
    EXPECT_EQ(shortHex.Data[0], 4);
    EXPECT_EQ(shortHex.Data[1], 0);
    EXPECT_EQ(shortHex.Data[2], 0xEE);
    ReadResult three = ReadFrom("\"T\"=hex:041;c\r\n", "T", 8);
    EXPECT_EQ(three.Result, 0);
    EXPECT_EQ(three.Size, 1u);
    EXPECT_EQ(three.Data[0], 0x41);
    EXPECT_EQ(ReadFrom("\"T\"=hex:100\r\n", "T", 8).Result, 1);
    EXPECT_EQ(ReadFrom("\"T\"=hex:01,02\\\r\n", "T", 8).Result, 1);

    ReadResult ten = ReadFrom("\"T\"=hex:01,02,03,04,05,06,07,08,09,0a\r\n", "T", 8);
    EXPECT_EQ(ten.Size, 10u);
    EXPECT_EQ(ten.Data[7], 8);
    EXPECT_EQ(ten.Data[8], 0xEE);

    ReadResult probe = ReadFrom(kTriggerLine, "TriggerMode", 8, false);
    EXPECT_EQ(probe.Result, 1);
    EXPECT_EQ(probe.Type, REG_BINARY);
    EXPECT_EQ(probe.Size, 8u);
}

TEST_F(ReadTest, MultiStringsAndStrings) {
    ReadResult multi = ReadFrom("\"X\"=hex(7):41,00,00,00\r\n", "X", 8);
    EXPECT_EQ(multi.Result, 0);
    EXPECT_EQ(multi.Type, REG_MULTI_SZ);
    EXPECT_EQ(multi.Size, 0u);
    EXPECT_EQ(multi.Data[0], 0xEE);
    // "multi_sz:" is a keyword the import does not know: no value.
    ReadResult unknown = ReadFrom("\"X\"=multi_sz:41,00,00,00\r\n", "X", 8);
    EXPECT_EQ(unknown.Result, 1);
    EXPECT_EQ(unknown.Type, -1);
    // Escapes are the import's; bytes 0x80 to 0x9F come back as they were written.
    ReadResult escaped = ReadFrom("\"S\"=\"a\\\"\\\\\x80\"\r\n", "S", 8);
    EXPECT_EQ(escaped.Result, 0);
    EXPECT_EQ(escaped.Size, 4u);
    EXPECT_EQ(std::string(escaped.Data.begin(), escaped.Data.begin() + 4), "a\"\\\x80");
    ReadResult text = ReadFrom("\"S\"=\"hello\"\r\n", "S", 3);
    EXPECT_EQ(text.Result, 0);
    EXPECT_EQ(text.Type, REG_SZ);
    EXPECT_EQ(text.Size, 5u);
    EXPECT_EQ(std::string(text.Data.begin(), text.Data.begin() + 4), "hel\xEE");
}

TEST_F(ReadTest, LinesNotInTheWrittenFormStayInsideTheLine) {
    ReadResult spaced = ReadFrom("\"SwitchID\" = dword:7\r\n", "SwitchID", 4);
    EXPECT_EQ(spaced.Result, 0);
    EXPECT_EQ(DwordOf(spaced), 7u);

    ReadResult spacedHex = ReadFrom("\"T\" = hex: 05,06\r\n", "T", 8);
    EXPECT_EQ(spacedHex.Size, 2u);
    EXPECT_EQ(spacedHex.Data[1], 6);

    // Lines the importer refuses are no value: nothing is reported or stored.
    for (const char* line : {"\"S\"=\r\n", "\"S\"\r\n", "\"S\"=\"abc\"x\r\n", "\"S\"=\"abc\r\n",
                             "\"S\"=DWORD:1\r\n", "\"S\"=-\r\n"}) {
        ReadResult refused = ReadFrom(line, "S", 8);
        EXPECT_EQ(refused.Result, 1) << line;
        EXPECT_EQ(refused.Type, -1) << line;
        EXPECT_EQ(refused.Data[0], 0xEE) << line;
    }
    ReadResult commented = ReadFrom("\"S\"=\"a;b\" ;note\r\n", "S", 8);
    EXPECT_EQ(commented.Size, 3u);
    EXPECT_EQ(std::string(commented.Data.begin(), commented.Data.begin() + 3), "a;b");

    // The name is the very last text of the file.
    Write(AppendedHeader(2) + "\"SwitchID");
    RegFile editor;
    OpenEditor(editor);
    std::int32_t type = 0;
    std::uint32_t size = 4;
    std::uint32_t value = 0xEEEEEEEE;
    EXPECT_EQ(editor.ReadValue(kKey, 2, "SwitchID", &type, &value, &size), 1);
    EXPECT_EQ(type, 0);
    EXPECT_EQ(value, 0xEEEEEEEEu);
}

TEST_F(ReadTest, MissingValuesAndSections) {
    ReadResult missing = ReadFrom(kLatchLine, "SwitchID", 4);
    EXPECT_EQ(missing.Result, 1);
    EXPECT_EQ(missing.Type, -1);
    EXPECT_EQ(missing.Size, 4u);

    // A value of the next section is not this section's.
    Write(AppendedHeader(2) + AppendedHeader(3) + kSwitchLine);
    RegFile editor;
    OpenEditor(editor);
    std::int32_t type = 0;
    std::uint32_t size = 4;
    std::uint32_t value = 0;
    EXPECT_EQ(editor.ReadValue(kKey, 2, "SwitchID", &type, &value, &size), 1);
    EXPECT_EQ(editor.ReadValue(kKey, 5, "SwitchID", &type, &value, &size), 1);
    EXPECT_EQ(editor.ReadValue(kKey, 3, "SwitchID", &type, &value, &size), 0);
    EXPECT_EQ(value, 10u);
}

TEST_F(ValueTest, ReadListReportsTheLastEntry) {
    Write(AppendedHeader(2) + "\n" + kLatchLine);
    RegFile editor;
    OpenEditor(editor);
    std::int32_t switchId = 77;
    std::array<std::uint8_t, 8> latch{};
    RegValueSpec list[] = {{"SwitchID", REG_DWORD, 4, &switchId},
                           {"LatchData", REG_BINARY, 8, latch.data()},
                           {nullptr, 0, 0, nullptr}};
    EXPECT_EQ(editor.ApplyValueList(kKey, 2, list, 0), 1);
    EXPECT_EQ(switchId, 77);
    EXPECT_EQ(list[0].Type, REG_DWORD);
    EXPECT_EQ(list[0].Size, 4u);
    EXPECT_EQ(latch[0], 1);
    EXPECT_EQ(latch[6], 1);

    std::swap(list[0], list[1]);
    EXPECT_EQ(editor.ApplyValueList(kKey, 2, list, 0), 0);

    RegValueSpec empty[] = {{nullptr, 0, 0, nullptr}};
    EXPECT_EQ(editor.ApplyValueList(kKey, 2, empty, 0), 0);
    EXPECT_EQ(editor.ApplyValueList(kKey, 2, empty, 1), 1);
    EXPECT_EQ(editor.ApplyValueList(kKey, 2, nullptr, 1), 0);
}

TEST_F(ValueFileTest, WriteListStopsAtTheFirstFailure) {
    std::uint32_t switchId = 3;
    std::uint8_t latch[8] = {};
    RegValueSpec list[] = {{"SwitchID", REG_DWORD, 4, &switchId},
                           {"TriggerMode", REG_BINARY, 0, latch},
                           {"LatchData", REG_BINARY, 8, latch},
                           {nullptr, 0, 0, nullptr}};
    std::string after = Edit(AppendedHeader(2), [&](RegFile& editor) {
        EXPECT_EQ(editor.ApplyValueList(kKey, 2, list, 1), 0);
    });
    EXPECT_EQ(after, AppendedHeader(2) + "\n\"SwitchID\"=dword:3\r\n");
}

TEST_F(ValueFileTest, StringListsUseSingleByteText) {
    char text[] = "abc";
    char multi[] = "ab\0c\0";
    RegValueSpec list[] = {
        {"S", REG_SZ, 0, text}, {"M", REG_MULTI_SZ, 0, multi}, {nullptr, 0, 0, nullptr}};
    std::string after = Edit(AppendedHeader(2), [&](RegFile& editor) {
        EXPECT_EQ(editor.ApplyValueList(kKey, 2, list, 1), 1);
        char back[8] = {};
        std::int32_t type = 0;
        std::uint32_t size = sizeof back;
        EXPECT_EQ(editor.ReadValue(kKey, 2, "S", &type, back, &size), 0);
        EXPECT_EQ(size, 3u);
        EXPECT_STREQ(back, "abc");
    });
    EXPECT_EQ(after, AppendedHeader(2) +
                         "\n\"S\"=\"abc\"\r\n\n\"M\"=multi_sz:61,62,00,63,00,00,00,00\r\n");
}

} // namespace
} // namespace regfile::test
