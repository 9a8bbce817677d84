// Values read and replaced as the file's importer takes them: letter case of names, the
// value forms, continued lines, repeated values and sections, line ends, text encodings.
#include <array>
#include <cstdint>
#include <string>

#include "Fixture.h"
#include "platform/File.h"
#include "platform/FileReason.h"
#include "platform/FileSeam.h"

namespace regfile::test {
namespace {

const std::string kLatchLine = "\"LatchData\"=hex:01,00,00,00,00,00,01,00\r\n";

class ImportRulesTest : public RegFileTest {
protected:
    template <typename Task> std::string Edit(const std::string& before, Task task) {
        Write(before);
        RegFile editor;
        OpenEditor(editor);
        task(editor);
        editor.Close();
        return Read();
    }
    // Template 2's value `name` read from a file holding `text`; -1 when not read.
    std::int64_t ReadDword(const std::string& text, const char* name = "SwitchID") {
        Write(text);
        RegFile editor;
        OpenEditor(editor);
        std::int32_t type = 0;
        std::uint32_t value = 0;
        std::uint32_t size = 4;
        if (editor.ReadValue(kKey, 2, name, &type, &value, &size) != 0 || type != REG_DWORD)
            return -1;
        return value;
    }
};

int WriteDword(RegFile& editor, int index, const char* name, std::uint32_t value) {
    return editor.WriteValue(kKey, index, name, REG_DWORD, &value, 4);
}

TEST_F(ImportRulesTest, ValueNamesIgnoreLetterCase) {
    EXPECT_EQ(ReadDword(AppendedHeader(2) + "\"switchid\"=dword:3\r\n"), 3);
    std::string after = Edit(AppendedHeader(2) + "\"switchid\"=dword:3\r\n" + kLatchLine,
                             [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 5); });
    EXPECT_EQ(after, AppendedHeader(2) + "\"SwitchID\"=dword:5\r\n" + kLatchLine);
}

TEST_F(ImportRulesTest, DwordAndBinaryForms) {
    EXPECT_EQ(ReadDword(AppendedHeader(2) + "\"SwitchID\"=hex(4):0c,00,00,00\r\n"), 12);
    EXPECT_EQ(ReadDword(AppendedHeader(2) + "  \"SwitchID\" = dword: 7 ;note\r\n"), 7);
    // hex(4) of another length is no dword this editor takes.
    EXPECT_EQ(ReadDword(AppendedHeader(2) + "\"SwitchID\"=hex(4):0c,00,00\r\n"), -1);

    Write(AppendedHeader(2) + "\"TriggerMode\"=hex(3):04,00,04,00,00,00,00,00\r\n");
    RegFile editor;
    OpenEditor(editor);
    std::array<std::uint8_t, 8> bytes{};
    std::int32_t type = 0;
    std::uint32_t size = 8;
    EXPECT_EQ(editor.ReadValue(kKey, 2, "TriggerMode", &type, bytes.data(), &size), 0);
    EXPECT_EQ(type, REG_BINARY);
    EXPECT_EQ(size, 8u);
    EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{4, 0, 4, 0, 0, 0, 0, 0}));
    editor.Close();

    // A replaced hex(3) or hex(4) line is written in the editor's own form.
    std::string after = Edit(AppendedHeader(2) + "\"SwitchID\"=hex(4):0c,00,00,00\r\n" +
                                 "\"LatchData\"=hex(3):01,02\r\n",
                             [](RegFile& file) {
                                 WriteDword(file, 2, "SwitchID", 3);
                                 std::uint8_t latch[] = {1, 2};
                                 file.WriteValue(kKey, 2, "LatchData", REG_BINARY, latch, 2);
                             });
    EXPECT_EQ(after, AppendedHeader(2) + "\"SwitchID\"=dword:3\r\n\"LatchData\"=hex:01,02\r\n");
}

TEST_F(ImportRulesTest, ContinuedLinesBelongToTheirValue) {
    const std::string continued = "\"TriggerMode\"=hex:04,00,\\\r\n  04,00,\\\r\n\r\n"
                                  "; a comment inside the list\r\n  00,00,00,01\r\n";
    Write(AppendedHeader(2) + continued + kLatchLine);
    {
        RegFile editor;
        OpenEditor(editor);
        std::array<std::uint8_t, 8> bytes{};
        std::int32_t type = 0;
        std::uint32_t size = 8;
        EXPECT_EQ(editor.ReadValue(kKey, 2, "TriggerMode", &type, bytes.data(), &size), 0);
        EXPECT_EQ(size, 8u);
        EXPECT_EQ(bytes, (std::array<std::uint8_t, 8>{4, 0, 4, 0, 0, 0, 0, 1}));
        // The list's lines are no value lines of their own.
        EXPECT_EQ(editor.ValueOccurrences(kKey, 2, "TriggerMode"), 1);
    }
    // A replaced value takes all its lines with it.
    std::string after = Edit(AppendedHeader(2) + continued + kLatchLine, [](RegFile& editor) {
        std::uint8_t trigger[] = {0, 0, 0, 0, 4, 0, 4, 0};
        EXPECT_EQ(editor.WriteValue(kKey, 2, "TriggerMode", REG_BINARY, trigger, 8), 0);
    });
    EXPECT_EQ(after,
              AppendedHeader(2) + "\"TriggerMode\"=hex:00,00,00,00,04,00,04,00\r\n" + kLatchLine);

    // A value line swallowed by a list is part of the list, not a value.
    EXPECT_EQ(ReadDword(AppendedHeader(2) + "\"X\"=hex:01,\\\r\n\"SwitchID\"=dword:3\r\n"), -1);
}

TEST_F(ImportRulesTest, TheLastOccurrenceIsReadAndReplaced) {
    // Twice in one section; in a second section of the key; after a commented-out header,
    // which the import counts as part of the section before it.
    const std::string twice =
        AppendedHeader(2) + "\"SwitchID\"=dword:1\r\n\"SwitchID\"=dword:2\r\n" + kLatchLine;
    EXPECT_EQ(ReadDword(twice), 2);
    EXPECT_EQ(Edit(twice, [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 9); }),
              AppendedHeader(2) + "\"SwitchID\"=dword:1\r\n\"SwitchID\"=dword:9\r\n" + kLatchLine);

    const std::string split = AppendedHeader(2) + "\"SwitchID\"=dword:1\r\n" + AppendedHeader(4) +
                              "\"SwitchID\"=dword:4\r\n" + AppendedHeader(2) + kLatchLine + "; " +
                              Header(5) + "\r\n\"SwitchID\"=dword:3\r\n";
    EXPECT_EQ(ReadDword(split), 3);
    std::string expected = split;
    expected.replace(expected.rfind("dword:3"), 7, "dword:6");
    EXPECT_EQ(Edit(split, [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 6); }), expected);

    // A value the key lacks goes to the end of its last section; a refused line after the
    // one the import keeps stays, the kept one is replaced.
    expected = split;
    expected += "\n\"Extra\"=dword:1\r\n";
    EXPECT_EQ(Edit(split, [](RegFile& editor) { WriteDword(editor, 2, "Extra", 1); }), expected);
    const std::string refused =
        AppendedHeader(2) + "\"SwitchID\"=dword:1\r\n\"SwitchID\"=dword:0x5\r\n";
    EXPECT_EQ(ReadDword(refused), 1);
    EXPECT_EQ(Edit(refused, [](RegFile& editor) { WriteDword(editor, 2, "SwitchID", 7); }),
              AppendedHeader(2) + "\"SwitchID\"=dword:7\r\n\"SwitchID\"=dword:0x5\r\n");

    // A deletion ("-") is the last word: nothing to read, and the write adds the value
    // behind it, at the end of the section.
    const std::string deleted = AppendedHeader(2) + "\"SwitchID\"=dword:1\r\n\"SwitchID\"=-\r\n";
    EXPECT_EQ(ReadDword(deleted), -1);
    EXPECT_EQ(Edit(deleted,
                   [](RegFile& editor) {
                       EXPECT_EQ(editor.ValueOccurrences(kKey, 2, "SwitchID"), 0);
                       WriteDword(editor, 2, "SwitchID", 7);
                       EXPECT_EQ(editor.ValueOccurrences(kKey, 2, "SwitchID"), 1);
                   }),
              deleted + "\n\"SwitchID\"=dword:7\r\n");
}

TEST_F(ImportRulesTest, LineEndsAndUnchangedValues) {
    // An LF file stays LF; a value already written as it would be changes no byte, even
    // with a trailing comment or blanks ahead of its quote.
    const std::string lf = " \n" + Header(2) + " \n\"SwitchID\"=dword:3\n" +
                           "\"TriggerMode\"=hex:04,00 ;edge\n  \"LatchData\"=hex:01\n";
    platform::Counters() = {};
    std::string after = Edit(lf, [](RegFile& editor) {
        WriteDword(editor, 2, "SwitchID", 3);
        std::uint8_t trigger[] = {4, 0};
        EXPECT_EQ(editor.WriteValue(kKey, 2, "TriggerMode", REG_BINARY, trigger, 2), 0);
        std::uint8_t latch[] = {1};
        EXPECT_EQ(editor.WriteValue(kKey, 2, "LatchData", REG_BINARY, latch, 1), 0);
    });
    EXPECT_EQ(after, lf);
    EXPECT_EQ(platform::Counters().BytesWritten, 0u);

    after = Edit(lf, [](RegFile& editor) {
        WriteDword(editor, 2, "SwitchID", 4);
        std::uint8_t trigger[] = {0, 4};
        editor.WriteValue(kKey, 2, "TriggerMode", REG_BINARY, trigger, 2);
    });
    EXPECT_EQ(after, " \n" + Header(2) + " \n\"SwitchID\"=dword:4\n" +
                         "\"TriggerMode\"=hex:00,04\n ;edge\n  \"LatchData\"=hex:01\n");

    // A ";" inside a string is no comment; one right behind a dword stays with the byte
    // ahead of it, as a line the import ignores.
    after = Edit(AppendedHeader(2) + "\"S\"=\"a;b\"\r\n\"SwitchID\"=dword:3;old\r\n",
                 [](RegFile& editor) {
                     editor.WriteValue(kKey, 2, "S", REG_SZ, "c", 2);
                     WriteDword(editor, 2, "SwitchID", 4);
                 });
    EXPECT_EQ(after, AppendedHeader(2) + "\"S\"=\"c\"\r\n\"SwitchID\"=dword:4\r\n3;old\r\n");
}

TEST_F(ImportRulesTest, Utf16TextIsRefusedAtOpen) {
    for (const std::string& bom : {std::string("\xFF\xFE", 2), std::string("\xFE\xFF", 2)}) {
        const std::string text = bom + std::string("W\0i\0n\0", 6);
        Write(text);
        RegFile editor;
        EXPECT_EQ(editor.Open(path_, kModel), platform::kFileEncodingCode);
        EXPECT_EQ(editor.FileError().Code, platform::kFileEncodingCode);
        EXPECT_EQ(editor.FileError().FileName, path_);
        EXPECT_EQ(platform::FileReasonText(editor.FileError()), platform::kEncodingReason);
        EXPECT_EQ(editor.Length(), 0u);
        RegFile again; // the refused open released its lock
        EXPECT_EQ(again.Open(path_, kModel), platform::kFileEncodingCode);
        EXPECT_EQ(Read(), text);
    }
    // A UTF-8 mark is single-byte text to this editor: it stays, and only the line it
    // stands on (the file's first) is no key line.
    const std::string utf8 = "\xEF\xBB\xBF" + Header(1) + "\r\n" + Header(2) + "\r\n";
    Write(utf8);
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0x0004);
    WriteDword(editor, 2, "SwitchID", 1);
    editor.Close();
    EXPECT_EQ(Read(), utf8 + "\n\"SwitchID\"=dword:1\r\n");
}

} // namespace
} // namespace regfile::test
