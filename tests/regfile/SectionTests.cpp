// Opening, listing, locating, appending and deleting template sections.
#include <cerrno>
#include <optional>
#include <string>

#include <unistd.h>

#include "Fixture.h"
#include "platform/File.h"
#include "platform/FileSeam.h"

namespace regfile::test {
namespace {

const std::string kValues = "\n\"SwitchID\"=dword:1\r\n";
const std::string kIntro = "REGEDIT4\r\n\r\n[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI]\r\n";

std::string ThreeSections() {
    return kIntro + AppendedHeader(0) + kValues + AppendedHeader(2) + kValues + AppendedHeader(12) +
           kValues;
}

using SectionTest = RegFileTest;

TEST_F(SectionTest, OpenBuildsTheKeyTextsAndReadsTheWholeFile) {
    Write(ThreeSections());
    RegFile editor;
    OpenEditor(editor);
    EXPECT_STREQ(editor.ModelText(), "PCI3916");
    EXPECT_STREQ(editor.DriverKey(), "VKR3916S");
    EXPECT_STREQ(editor.SectionPrefix(),
                 "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template");
    EXPECT_EQ(editor.Length(), ThreeSections().size());
    EXPECT_EQ(Held(editor), ThreeSections());
    EXPECT_EQ(editor.LastIndex(), -1);
}

TEST_F(SectionTest, OpenRefusals) {
    RegFile missing;
    EXPECT_EQ(missing.Open(folder_.PathOf("absent.reg"), kModel), ENOENT);
    EXPECT_EQ(missing.FileError().Code, ENOENT);
    EXPECT_EQ(missing.FileError().Cause, "open");
    EXPECT_FALSE(Exists(folder_.PathOf("absent.reg")));

    RegFile badModel;
    EXPECT_EQ(badModel.Open(path_, "PC"), EINVAL);

    // A sparse file one byte over the cap is refused before anything is read.
    ASSERT_EQ(truncate(path_.c_str(), RegFile::kMaxLength + 1LL), 0);
    RegFile huge;
    EXPECT_EQ(huge.Open(path_, kModel), EFBIG);
    EXPECT_EQ(huge.Length(), 0u);
    RegFile again; // the refused open released its lock
    EXPECT_EQ(again.Open(path_, kModel), EFBIG);
}

TEST_F(SectionTest, EmptyFileOpensAsEmptyText) {
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.Length(), 0u);
    EXPECT_STREQ(editor.Block(), "");
    std::uint16_t mask = 1;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0);
    editor.AppendSection(4);
    editor.Close();
    EXPECT_EQ(Read(), AppendedHeader(4));
}

TEST_F(SectionTest, ListTemplatesReadsHeadersWithoutChangingBlock) {
    Write(ThreeSections());
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    EXPECT_EQ(editor.ListTemplates(mask), 0);
    EXPECT_EQ(mask, 0x1005);
    EXPECT_EQ(Held(editor), ThreeSections());
}

TEST_F(SectionTest, ListTemplatesTakesKeyLinesAsTheImportDoes) {
    std::string lowerThree =
        "[hkey_local_machine\\drivers\\builtin\\pci\\template\\vkr3916s\\template3]";
    std::string badSeven = Header(7);
    badSeven[badSeven.size() - 2] = 'X';
    Write(AppendedHeader(0) + "; " + Header(2) + "\r\n" + Header(5) + " ;old\r\n" + lowerThree +
          "\r\n" + Header(16) + "\r\n" + badSeven + "\r\n" +
          // A lone CR ends the comment's line: the header of 9 after it is listed.
          "; note\r" + Header(9) + "\r\n");
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    // A comment line starts with ";"; a ";" behind the header's "]" is ignored text; the key
    // compares without regard to letter case.
    EXPECT_EQ(mask, 0x0229);
    EXPECT_EQ(editor.SectionExists(9, kKey), 1);
    EXPECT_EQ(editor.SectionExists(3, kKey), 1);
    EXPECT_EQ(editor.SectionExists(5, kKey), 1);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
}

TEST_F(SectionTest, SectionExistsMatchesTheWholeIndex) {
    Write(Header(13) + "\r\n" + Header(30) + "\r\n");
    RegFile editor;
    OpenEditor(editor);
    const std::string before = Held(editor);
    EXPECT_EQ(editor.SectionExists(3, kKey), 0);
    EXPECT_EQ(editor.SectionExists(13, kKey), 1);
    EXPECT_EQ(editor.SectionExists(13, "VKR9999S"), 0);
    EXPECT_EQ(Held(editor), before);
}

TEST_F(SectionTest, LocateSectionSpansHeaderToNextBracket) {
    Write(ThreeSections());
    RegFile editor;
    OpenEditor(editor);
    const std::string text = ThreeSections();
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    editor.LocateSection(kKey, 2, start, end);
    EXPECT_EQ(start, text.find(Header(2)));
    EXPECT_EQ(end, text.find(Header(12)));
    editor.LocateSection(kKey, 12, start, end);
    EXPECT_EQ(start, text.find(Header(12)));
    EXPECT_EQ(end, text.size());
    editor.LocateSection(kKey, 5, start, end);
    EXPECT_EQ(start, text.size());
    EXPECT_EQ(end, text.size());
}

TEST_F(SectionTest, KeysThatOnlyLookLikeATemplateAreOtherKeys) {
    const std::string path = "HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\";
    const std::string others =
        "[HKEY_LOCAL_MACHINE\\Drivers\\Backup\\VKR3916S\\Template1]\r\n\"SwitchID\"=dword:1\r\n"
        "[" +
        path +
        "Template7\\Power]\r\n\"SwitchID\"=dword:7\r\n"
        "[" +
        path + "Template01]\r\n[" + path + "Template123]\r\n[" + path +
        "Template1 ]\r\n"
        "[HKLM\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template2]\r\n"
        "[ " +
        path + "Template3]\r\n[" + path +
        "Template4\r\n"
        "VKR3916S\\Template5]\r\n[-" +
        path + "Template6]\r\n";
    Write(others);
    RegFile editor;
    OpenEditor(editor);
    // A subkey's key line creates the keys above it, as the registry does: template 7 exists
    // without a section of its own, and deleting it removes its subkey's section.
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 1u << 7);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    editor.LocateSection(kKey, 7, start, end);
    EXPECT_EQ(start, editor.Length());
    EXPECT_EQ(end, editor.Length());
    for (int index : {1, 7}) {
        std::uint32_t value = 9;
        EXPECT_EQ(editor.DeleteSection(index, kKey), 0);
        EXPECT_EQ(editor.WriteValue(kKey, index, "SwitchID", REG_DWORD, &value, 4), 0);
    }
    editor.Close();
    std::string expected = others;
    const std::string power = "[" + path + "Template7\\Power]\r\n\"SwitchID\"=dword:7\r\n";
    expected.erase(expected.find(power), power.size());
    EXPECT_EQ(Read(), expected + "\"SwitchID\"=dword:9\r\n\"SwitchID\"=dword:9\r\n");

    // Repeated and trailing separators name the same key, as the registry reads them, except
    // right behind the root, where the import refuses the key; letter case aside, a "|" or
    // DEL where the key has "\\" or "_" is another key.
    Write("[HKEY_LOCAL_MACHINE\\Drivers\\\\BuiltIn\\PCI\\Template\\VKR3916S\\Template8\\]\r\n"
          "[HKEY_LOCAL_MACHINE\\\\\\Drivers\\BuiltIn\\PCI\\\\Template\\\\VKR3916S\\\\Template9]\r\n"
          "[hkey_local_machine\\drivers\\builtin\\pci\\template\\vkr3916s\\template10]\r\n"
          "[HKEY_LOCAL_MACHINE|Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template11]\r\n"
          "[HKEY\x7fLOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template\\VKR3916S\\Template12]\r\n"
          "[HKEY_LOCAL_MACHINE\\Drivers\\BuiltIn\\PCI\\Template|VKR3916S\\Template13]\r\n");
    RegFile doubled;
    OpenEditor(doubled);
    std::uint16_t found = 0;
    doubled.ListTemplates(found);
    EXPECT_EQ(found, (1u << 8) | (1u << 10));
}

TEST_F(SectionTest, AHeaderSwallowedByAHexListIsNoKeyLine) {
    // The importer carries a list ending in "\" over blank and comment lines onto the next
    // line, whatever it holds: that header is part of the value, and the value after it
    // belongs to template 1.
    const std::string text = AppendedHeader(1) + "\"X\"=hex:01,\\\r\n\r\n; note\r\n" + Header(2) +
                             "\r\n\"SwitchID\"=dword:4\r\n" + AppendedHeader(3) +
                             "\"Y\"=hex:01,02 ;not carried on \\\r\n" + Header(4) + "\r\n";
    Write(text);
    RegFile editor;
    OpenEditor(editor);
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0x001A);
    std::int32_t type = 0;
    std::uint32_t value = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(editor.ReadValue(kKey, 1, "SwitchID", &type, &value, &size), 0);
    EXPECT_EQ(value, 4u);
}

TEST_F(SectionTest, AnAppendedHeaderIsNeverTakenIntoAHexList) {
    // The file ends in a list carried on by "\": the header would be read as its bytes.
    // The "\" goes (the import reads the same bytes), and the header is a key line.
    Write("[x]\r\n\"X\"=hex:01,\\ ;more\r\n\r\n");
    RegFile editor;
    OpenEditor(editor);
    editor.AppendSection(2);
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    editor.Close();
    EXPECT_EQ(Read(), "[x]\r\n\"X\"=hex:01, ;more\r\n\r\n" + AppendedHeader(2));
}

TEST_F(SectionTest, EverySectionOfTheKeyIsDeleted) {
    // Both headers name template 2 (the text behind the "]" is ignored); the located span
    // is the last section, the one values are added to.
    const std::string first = Header(2) + " ;old\r\n\"SwitchID\"=dword:3\r\n";
    const std::string other = AppendedHeader(5) + kValues;
    Write(first + AppendedHeader(2) + kValues + other);
    RegFile editor;
    OpenEditor(editor);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    editor.LocateSection(kKey, 2, start, end);
    EXPECT_EQ(start, Shift() + first.size() + 3);
    EXPECT_EQ(editor.SectionCount(2, kKey), 2);
    EXPECT_EQ(editor.ValueOccurrences(kKey, 2, "switchid"), 2);
    editor.DeleteSection(2, kKey);
    editor.Close();
    EXPECT_EQ(Read(), other.substr(3));
}

TEST_F(SectionTest, AppendSectionWritesBlankLineEndsAroundTheHeader) {
    Write("A\r\n");
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.AppendSection(2), 0);
    EXPECT_EQ(Held(editor), "A\r\n" + AppendedHeader(2));
    EXPECT_EQ(editor.Length(), Shift() + 3 + AppendedHeader(2).size());
    EXPECT_EQ(editor.SectionExists(2, kKey), 1);
    editor.Close();
    EXPECT_EQ(Read(), "A\r\n" + AppendedHeader(2));

    Write("A");
    RegFile unterminated;
    OpenEditor(unterminated);
    unterminated.AppendSection(15);
    unterminated.Close();
    EXPECT_EQ(Read(), "A \r\n" + Header(15) + " \r\n");
}

TEST_F(SectionTest, AHeaderThatEndsTheFileGetsItsLineEnd) {
    // A blank or a value behind the header on its line would make it no header, and the
    // import would read nothing of the file.
    Write("REGEDIT4");
    {
        RegFile editor;
        OpenEditor(editor);
        editor.AppendSection(2);
        EXPECT_EQ(editor.SectionExists(2, kKey), 1);
        editor.Close();
    }
    EXPECT_EQ(Read(), "REGEDIT4\r\n" + AppendedHeader(2));

    Write("Windows Registry Editor Version 5.00");
    RegFile editor;
    OpenEditor(editor);
    std::uint32_t value = 1;
    EXPECT_EQ(editor.WriteValue(kKey, 3, "SwitchID", REG_DWORD, &value, 4), 0);
    EXPECT_TRUE(editor.Reading().HasHeader());
    editor.Close();
    EXPECT_EQ(Read(), "Windows Registry Editor Version 5.00\r\n\"SwitchID\"=dword:1\r\n");
}

TEST_F(SectionTest, DeleteTheLastSectionCutsAtItsBracket) {
    Write(kIntro);
    {
        RegFile editor;
        OpenEditor(editor);
        editor.AppendSection(2);
        editor.Close();
    }
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.DeleteSection(2, kKey), 0);
    EXPECT_EQ(editor.Length(), kIntro.size() + 3);
    editor.Close();
    EXPECT_EQ(Read(), kIntro + " \r\n");
}

TEST_F(SectionTest, DeleteAMiddleSectionUpToTheNextBracket) {
    Write(ThreeSections());
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(2, kKey);
    editor.Close();
    std::string expected =
        kIntro + AppendedHeader(0) + kValues + " \r\n" + Header(12) + " \r\n" + kValues;
    EXPECT_EQ(Read(), expected);
}

TEST_F(SectionTest, BracketInsideALineIsContent) {
    const std::string head = AppendedHeader(4) + "\"SwitchID\"=dword:1\r\n; see ";
    const std::string tail = "[notes]\r\n\"LatchData\"=hex:01\r\n";
    Write(head + tail);
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(4, kKey);
    editor.Close();
    EXPECT_EQ(Read(), " \r\n");
}

TEST_F(SectionTest, DeletingAnAbsentSectionWritesNothing) {
    Write(ThreeSections());
    platform::Counters() = {};
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(7, kKey);
    editor.Close();
    EXPECT_EQ(Read(), ThreeSections());
    EXPECT_EQ(platform::Counters().BytesWritten, 0u);
}

TEST_F(SectionTest, TextShorterThanTheHeaderEndsAtItsZeroByte) {
    // A "]" and a zero byte within the first bytes, ahead of where a header could end: the
    // section is absent, and a missing section goes ahead of that zero byte.
    const std::string bytes = std::string("]\0", 2) + Header(1) + "\r\n";
    Write(bytes);
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.SectionExists(1, kKey), 0);
    std::uint32_t value = 5;
    EXPECT_EQ(editor.WriteValue(kKey, 1, "SwitchID", REG_DWORD, &value, 4), 0);
    editor.Close();
    EXPECT_EQ(Read(), "]\"SwitchID\"=dword:5\r\n" + bytes.substr(1));
}

TEST_F(SectionTest, ScannersStopAtAZeroByte) {
    std::string bytes = AppendedHeader(1) + std::string(1, '\0') + AppendedHeader(2);
    Write(bytes);
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.Length(), Shift() + bytes.size());
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0x0002);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
    EXPECT_EQ(editor.SectionExists(1, kKey), 1);
}

TEST_F(SectionTest, AValueAddedBehindACarriedHexListIsNotSwallowed) {
    // The section's last value carries on with "\" at the end of the file: a value line added
    // there would be read as that list's bytes, so the "\" goes and the new value stands.
    const std::string start = AppendedHeader(0) + "\"TriggerMode\"=hex:00,\\";
    Write(start);
    RegFile editor;
    OpenEditor(editor);
    const std::uint32_t written = 7;
    ASSERT_EQ(editor.WriteValue(kKey, 0, "SwitchID", 4, &written, 4), 0);
    EXPECT_EQ(Held(editor),
              AppendedHeader(0) + "\"TriggerMode\"=hex:00,\n\"SwitchID\"=dword:7\r\n");
    std::int32_t type = 0;
    std::uint32_t value = 0;
    std::uint32_t size = 4;
    EXPECT_EQ(editor.ReadValue(kKey, 0, "SwitchID", &type, &value, &size), 0);
    EXPECT_EQ(value, 7u);
}

} // namespace
} // namespace regfile::test
