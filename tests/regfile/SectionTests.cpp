// Opening, listing, locating, appending and deleting template sections.
#include <cerrno>
#include <string>

#include <unistd.h>

#include "Fixture.h"
#include "platform/File.h"

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
    EXPECT_EQ(std::string(editor.Block()), ThreeSections());
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
    EXPECT_EQ(std::string(editor.Block(), editor.Length()), ThreeSections());
}

TEST_F(SectionTest, ListTemplatesSkipsCommentsAndIgnoresLetterCase) {
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
    EXPECT_EQ(mask, 0x0209);
    EXPECT_EQ(editor.SectionExists(9, kKey), 1);
    EXPECT_EQ(editor.SectionExists(3, kKey), 0);
    EXPECT_EQ(editor.SectionExists(5, kKey), 0);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
}

TEST_F(SectionTest, SectionExistsMatchesTheWholeIndex) {
    Write(Header(13) + "\r\n" + Header(30) + "\r\n");
    RegFile editor;
    OpenEditor(editor);
    const std::string before(editor.Block());
    EXPECT_EQ(editor.SectionExists(3, kKey), 0);
    EXPECT_EQ(editor.SectionExists(13, kKey), 1);
    EXPECT_EQ(editor.SectionExists(13, "VKR9999S"), 0);
    EXPECT_EQ(std::string(editor.Block()), before);
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

TEST_F(SectionTest, LocateSectionStaysOnTheHeaderLine) {
    // A match near the start of the file, and a hand-written header shorter than the
    // written form: neither start may reach before its own line.
    const std::string first = "VKR3916S\\Template1]\r\n\"A\"=dword:1\r\n";
    const std::string second = "[HKLM\\VKR3916S\\Template2]\r\n\"B\"=dword:2\r\n";
    const std::string third = AppendedHeader(3) + kValues;
    Write(first + second + third);
    RegFile editor;
    OpenEditor(editor);
    std::uint32_t start = 99;
    std::uint32_t end = 0;
    editor.LocateSection(kKey, 1, start, end);
    EXPECT_EQ(start, 0u);
    EXPECT_EQ(end, first.size());
    editor.DeleteSection(2, kKey);
    editor.Close();
    EXPECT_EQ(Read(), first + third.substr(third.find('[')));
}

TEST_F(SectionTest, CommentedHeaderIsNotTheSection) {
    const std::string commented = Header(2) + " ;old\r\n\"SwitchID\"=dword:3\r\n";
    Write(commented + AppendedHeader(2) + kValues);
    RegFile editor;
    OpenEditor(editor);
    std::uint32_t start = 0;
    std::uint32_t end = 0;
    editor.LocateSection(kKey, 2, start, end);
    EXPECT_EQ(start, commented.size() + 3);
    editor.DeleteSection(2, kKey);
    editor.Close();
    EXPECT_EQ(Read(), commented + " \r\n");
}

TEST_F(SectionTest, AppendSectionWritesBlankLineEndsAroundTheHeader) {
    Write("A\r\n");
    RegFile editor;
    OpenEditor(editor);
    EXPECT_EQ(editor.AppendSection(2), 0);
    EXPECT_EQ(std::string(editor.Block()), "A\r\n" + AppendedHeader(2));
    EXPECT_EQ(editor.Length(), 3 + AppendedHeader(2).size());
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

TEST_F(SectionTest, BracketInACommentEndsTheSection) {
    const std::string head = AppendedHeader(4) + "\"SwitchID\"=dword:1\r\n; see ";
    const std::string tail = "[notes]\r\n\"LatchData\"=hex:01\r\n";
    Write(head + tail);
    RegFile editor;
    OpenEditor(editor);
    editor.DeleteSection(4, kKey);
    editor.Close();
    EXPECT_EQ(Read(), " \r\n" + tail);
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
    EXPECT_EQ(editor.Length(), bytes.size());
    std::uint16_t mask = 0;
    editor.ListTemplates(mask);
    EXPECT_EQ(mask, 0x0002);
    EXPECT_EQ(editor.SectionExists(2, kKey), 0);
    EXPECT_EQ(editor.SectionExists(1, kKey), 1);
}

} // namespace
} // namespace regfile::test
