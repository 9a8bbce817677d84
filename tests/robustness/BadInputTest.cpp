// Bad input: hand-edited, damaged or missing driver files opened in the template window.
// Each case states what the window shows and what a Save leaves in the file; the table in
// docs/robustness.md lists them.
#include <gtest/gtest.h>

#include <sys/stat.h>
#include <unistd.h>

#include <cstdlib>
#include <filesystem>

#include "tests/robustness/Session.h"

namespace robustness {
namespace {

const std::string kRising = "04,00,04,00,04,00,04,00";
const std::string kLatch = "01,00,00,00,01,00,00,00";
const std::string kZeros = "00,00,00,00,00,00,00,00";

std::string Replace(std::string text, const std::string& from, const std::string& to) {
    const std::size_t at = text.find(from);
    EXPECT_NE(at, std::string::npos) << from;
    if (at != std::string::npos)
        text.replace(at, from.size(), to);
    return text;
}

// The text as it is after FallingCh0 on the template whose trigger bytes come first.
std::string Ch0Falling(const std::string& text) {
    return Replace(text, "hex:" + kRising, "hex:00,00,04,00,04,00,04,00");
}

// Ch0 of the selected template to Falling: TriggerMode byte 0 loses bit 0x04.
void FallingCh0(Session& session, const char* node) {
    session.Select(node);
    session.Tab(1);
    session.Click(2101);
}

TEST(BadInput, ZeroLengthFile) {
    DriverTree tree;
    tree.Write("");
    Session session(tree.Root());
    session.Open();
    EXPECT_EQ(session.TemplateNodes(), "");
    EXPECT_TRUE(session.Boxes().empty());
    session.Select("PCI-3916");
    session.Click(104);
    session.Click(1006);
    // The header comes first, or the import would read nothing of the new section.
    EXPECT_TRUE(SameBytes(tree.Read(), "REGEDIT4\r\n" + Section(0, 0, kZeros, kZeros).substr(3)));
}

TEST(BadInput, NulBytesInside) {
    const std::string hidden = std::string("\0", 1) + Section(5, 5, kRising, kLatch);
    const std::string start = DriverFile({0}) + hidden;
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    // What the import makes of the text past a zero byte is not defined: the templates
    // ahead of it are shown, and the window says at once that nothing can be saved.
    EXPECT_EQ(session.TemplateNodes(), "Template0");
    ASSERT_EQ(session.Boxes().size(), 1u);
    EXPECT_NE(session.Boxes()[0].Text.find("holds a zero byte"), std::string::npos)
        << session.Boxes()[0].Text;
    FallingCh0(session, "Template0");
    session.Click(1006);
    EXPECT_EQ(session.StopBoxesSince(1), 1);
    EXPECT_TRUE(SameBytes(tree.Read(), start));
}

TEST(BadInput, NoLineEndsAtAll) {
    // The header line then holds the whole file, so it is no header: the import reads
    // nothing, and an Add is refused with the line named.
    const std::string start = "REGEDIT4" + Header(0) + "\"SwitchID\"=dword:7";
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    EXPECT_EQ(session.TemplateNodes(), "");
    session.Select("PCI-3916");
    session.Click(104);
    session.Click(1006);
    ASSERT_GE(session.Boxes().size(), 2u);
    EXPECT_NE(session.Boxes().back().Text.find("line 1 is not a registry file header"),
              std::string::npos)
        << session.Boxes().back().Text;
    EXPECT_TRUE(SameBytes(tree.Read(), start));
}

TEST(BadInput, CarriageReturnOnlyLineEnds) {
    std::string start = DriverFile({0, 3});
    for (std::size_t at = start.find("\r\n"); at != std::string::npos; at = start.find("\r\n", at))
        start.erase(at + 1, 1);
    DriverTree tree;
    tree.Write(start);
    {
        Session session(tree.Root());
        session.Open();
        EXPECT_EQ(session.TemplateNodes(), "Template0,Template3");
        FallingCh0(session, "Template3");
        session.Click(1006);
    }
    const std::string after = tree.Read();
    const std::size_t firstHeader = start.find(Header(0));
    EXPECT_TRUE(SameBytes(after.substr(0, firstHeader), start.substr(0, firstHeader)));
    // The replaced line keeps its own line end: no CR LF comes into the file.
    EXPECT_NE(after.find("\"TriggerMode\"=hex:00,00,04,00,04,00,04,00\r\""), std::string::npos);
    EXPECT_EQ(after.find('\n'), std::string::npos);
    Session again(tree.Root());
    again.Open();
    EXPECT_EQ(again.TemplateNodes(), "Template0,Template3");
}

TEST(BadInput, LineOf64KiB) {
    const std::string comment = "; " + std::string(64 * 1024, 'x') + "\r\n";
    std::string longHex = "04";
    while (longHex.size() < 64 * 1024)
        longHex += ",00";
    const std::string start = DriverFile({0}) + comment + Section(3, 3, longHex, kLatch);
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    EXPECT_EQ(session.TemplateNodes(), "Template0,Template3");
    FallingCh0(session, "Template0");
    session.Click(1006);
    // The comment and the long value of the template not edited stay byte for byte.
    EXPECT_TRUE(SameBytes(tree.Read(),
                          Ch0Falling(DriverFile({0})) + comment + Section(3, 3, longHex, kLatch)));
}

TEST(BadInput, TenThousandUnrelatedSections) {
    std::string start = "REGEDIT4\r\n";
    for (int i = 0; i < 10000; ++i) {
        start += "[HKEY_LOCAL_MACHINE\\Software\\Vendor\\Key" + std::to_string(i) +
                 "]\r\n\"Value\"=dword:" + std::to_string(i % 10) + "\r\n";
        if (i == 5000)
            start += Section(5, 5, kRising, kLatch);
    }
    start += Section(9, 9, kRising, kLatch);
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    EXPECT_EQ(session.TemplateNodes(), "Template5,Template9");
    FallingCh0(session, "Template5");
    session.Click(1006);
    EXPECT_TRUE(SameBytes(tree.Read(), Ch0Falling(start)));
}

TEST(BadInput, DuplicateTemplateHeaders) {
    const std::string second = Section(2, 9, kRising, kZeros);
    const std::string start = DriverFile({2}) + second;
    DriverTree tree;
    tree.Write(start);
    {
        Session session(tree.Root());
        session.Open();
        EXPECT_EQ(session.TemplateNodes(), "Template2");
        // The import takes the values of the last section: they are read and replaced;
        // the first section is kept as it is.
        FallingCh0(session, "Template2");
        session.Click(1006);
        EXPECT_TRUE(SameBytes(tree.Read(), DriverFile({2}) + Ch0Falling(second)));
        // Remove deletes both.
        session.Select("Template2");
        session.Click(103);
        session.Click(1006);
    }
    EXPECT_TRUE(SameBytes(tree.Read(), DriverFile({}) + " \r\n"));
    Session again(tree.Root());
    again.Open();
    EXPECT_EQ(again.TemplateNodes(), "");
}

TEST(BadInput, HeaderWithoutClosingBracket) {
    const std::string broken =
        " \r\n" + Header(2).substr(0, Header(2).size() - 1) + "\r\n\"SwitchID\"=dword:6\r\n";
    const std::string start = DriverFile({0}) + broken;
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    // No key for the import (no "]"), so no template; it ends template 0's section and is
    // left as it was.
    EXPECT_EQ(session.TemplateNodes(), "Template0");
    FallingCh0(session, "Template0");
    session.Click(1006);
    EXPECT_TRUE(SameBytes(tree.Read(), Ch0Falling(start)));
}

TEST(BadInput, HexWithOddDigitCounts) {
    const std::string start =
        Replace(Replace(DriverFile({0}), "hex:" + kRising, "hex:041"), "hex:" + kLatch, "hex:1,0");
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    // "041" is read by the import as the byte 41, "1,0" as two; the switch ID is the one
    // value changed and the one line written.
    session.Select("Template0");
    session.Choose(1002, 7);
    session.Click(1006);
    EXPECT_TRUE(
        SameBytes(tree.Read(), Replace(start, "\"SwitchID\"=dword:0", "\"SwitchID\"=dword:7")));
}

TEST(BadInput, DwordOfTwentyDigits) {
    const std::string start =
        Replace(DriverFile({3}), "\"SwitchID\"=dword:3", "\"SwitchID\"=dword:12345678901234567890");
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    // Too large for 32 bits: refused by the import; the template shows its index as its
    // switch ID, and the Save writes only the trigger edge changed.
    FallingCh0(session, "Template3");
    session.Click(1006);
    EXPECT_TRUE(SameBytes(tree.Read(), Ch0Falling(start)));
}

TEST(BadInput, SwitchIdOutsideZeroToFifteen) {
    const std::string start =
        Replace(DriverFile({0, 1}), "\"SwitchID\"=dword:1\r\n", "\"SwitchID\"=dword:14\r\n");
    DriverTree tree;
    tree.Write(start);
    Session session(tree.Root());
    session.Open();
    // Kept as it is and written back unchanged; it takes no switch ID from the others.
    FallingCh0(session, "Template0");
    session.Select("PCI-3916");
    session.Click(104);
    session.Click(1006);
    EXPECT_TRUE(SameBytes(tree.Read(), Ch0Falling(start) + Section(2, 1, kZeros, kZeros)));
}

TEST(BadInput, RegFilePathOf300Characters) {
    DriverTree tree;
    const std::string root = tree.Folder() + "/" + std::string(300, 'r') + "/";
    Session session(root);
    EXPECT_EQ(session.Open(), 0);
    EXPECT_EQ(session.Window(), nullptr);
    ASSERT_EQ(session.Boxes().size(), 1u);
    EXPECT_EQ(session.StopBoxesSince(0), 1);
    EXPECT_NE(session.Boxes()[0].Text.find("longer than 255 characters"), std::string::npos)
        << session.Boxes()[0].Text;
}

// The file cannot be opened: the window shows no templates and says so in a stop box that
// names the file (with "/" separators) and the reason; a Save is refused with a box of its
// own instead of writing anything.
void ExpectUnopenable(const std::string& root, const std::string& reason) {
    Session session(root);
    EXPECT_EQ(session.Open(), 1);
    EXPECT_EQ(session.TemplateNodes(), "");
    ASSERT_EQ(session.Boxes().size(), 1u);
    EXPECT_EQ(session.StopBoxesSince(0), 1);
    const std::string& told = session.Boxes()[0].Text;
    EXPECT_NE(told.find("could not be read from \"" + root +
                        "Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg\": " + reason + "."),
              std::string::npos)
        << told;
    session.Select("PCI-3916");
    session.Click(104);
    session.Click(1006);
    EXPECT_EQ(session.StopBoxesSince(0), 2);
    EXPECT_TRUE(session.Enabled(1006));
}

TEST(BadInput, RootThatDoesNotExist) {
    DriverTree tree;
    const std::string root = tree.Folder() + "/absent/";
    ExpectUnopenable(root, "the file does not exist");
    EXPECT_FALSE(std::filesystem::exists(tree.Folder() + "/absent"));
}

TEST(BadInput, DirectoryWhereTheFileShouldBe) {
    DriverTree tree;
    std::filesystem::create_directory(tree.RegPath());
    ExpectUnopenable(tree.Root(), "the name belongs to a folder, not a file");
    EXPECT_TRUE(std::filesystem::is_directory(tree.RegPath()));
    EXPECT_TRUE(std::filesystem::is_empty(tree.RegPath()));
}

TEST(BadInput, FifoWhereTheFileShouldBe) {
    DriverTree tree;
    ASSERT_EQ(mkfifo(tree.RegPath().c_str(), 0600), 0);
    ExpectUnopenable(tree.Root(), "the name does not belong to a regular file");
    EXPECT_FALSE(std::filesystem::is_regular_file(tree.RegPath()));
}

TEST(BadInput, DanglingSymbolicLink) {
    DriverTree tree;
    const std::string target = tree.Folder() + "/gone.reg";
    std::filesystem::create_symlink(target, tree.RegPath());
    ExpectUnopenable(tree.Root(), "the file does not exist");
    EXPECT_TRUE(std::filesystem::is_symlink(tree.RegPath()));
    EXPECT_FALSE(std::filesystem::exists(target));
}

// A read-only file, in a host of its own: run as an unprivileged user when the tests run
// as root, for whom no file is read-only. The window reads it and says at once that changes
// cannot be saved; the Save is refused with the reason, and nothing is written.
TEST(BadInput, ReadOnlyFile) {
    DriverTree tree;
    const std::string start = DriverFile({0});
    tree.Write(start);
    ASSERT_EQ(chmod(tree.RegPath().c_str(), 0444), 0);
    std::optional<uid_t> user;
    if (geteuid() == 0) {
        user = 65534;
        std::filesystem::permissions(tree.Folder(), std::filesystem::perms::all);
    }
    const std::string script = tree.Folder() + "/script";
    // Selecting Template0 fails the script unless the window read the file.
    testing_support::WriteBytes(script,
                                "expand PCI-3916\nselect Template0\nclick 104\nclick 1006\n");
    const HostRun run = StartHost(tree.Root(), script, tree.Folder(), user);
    EXPECT_EQ(WaitHost(run), 0) << ReadText(run.Err);
    const std::string transcript = ReadText(run.Out);
    const std::string quoted = "\\\"" + tree.RegPath() + "\\\"";
    EXPECT_EQ(transcript,
              "messagebox caption=\"PCI3916Cfg\" text=\"The file " + quoted +
                  " is read-only: its templates are shown, but changes cannot be saved.\" "
                  "buttons=OK icon=none answer=ok\n"
                  "messagebox caption=\"PCI3916Cfg\" text=\"The templates were not saved to " +
                  quoted +
                  ": the file is read-only.\" buttons=OK icon=stop answer=ok\n"
                  // The host's end destroys the window, whose prompt saves: refused again.
                  "messagebox caption=\"Note\" text=\"The configuration of PCI3916 is change, "
                  "save the change\" buttons=OKCANCEL icon=none answer=ok\n"
                  "messagebox caption=\"Error\" text=\"The templates were not saved to " +
                  quoted + ": the file is read-only.\" buttons=OK icon=stop answer=ok\n");
    EXPECT_TRUE(SameBytes(tree.Read(), start));
    EXPECT_FALSE(tree.JournalLeft());
}

// A journal of a cut Save beside a read-only file: it cannot be applied, so the window
// says why the file cannot be read, and both stay as they are.
TEST(BadInput, JournalBesideAReadOnlyFile) {
    DriverTree tree;
    const std::string start = DriverFile({0});
    tree.Write(start);
    testing_support::WriteBytes(tree.RegPath() + ".undo", ""); // cut before its first write
    ASSERT_EQ(chmod(tree.RegPath().c_str(), 0444), 0);
    std::optional<uid_t> user;
    if (geteuid() == 0) {
        user = 65534;
        std::filesystem::permissions(tree.Folder(), std::filesystem::perms::all);
    }
    const std::string script = tree.Folder() + "/script";
    testing_support::WriteBytes(script, "");
    const HostRun run = StartHost(tree.Root(), script, tree.Folder(), user);
    EXPECT_EQ(WaitHost(run), 0) << ReadText(run.Err);
    EXPECT_EQ(ReadText(run.Out),
              "messagebox caption=\"PCI3916Cfg\" text=\"The templates could not be read from "
              "\\\"" +
                  tree.RegPath() +
                  "\\\": the file is read-only, and the journal of a "
                  "change of it that was cut short lies beside it: until the file may be written, "
                  "that change can be neither completed nor undone, so its content is not known.\" "
                  "buttons=OK icon=stop answer=ok\n");
    EXPECT_TRUE(SameBytes(tree.Read(), start));
    EXPECT_TRUE(tree.JournalLeft());
}

// A file that becomes read-only after the window read it: the Save is refused the same way.
TEST(BadInput, FileMadeReadOnlyBeforeTheSave) {
    DriverTree tree;
    const std::string start = DriverFile({0, 2});
    tree.Write(start);
    Session session(tree.Root());
    ASSERT_EQ(session.Open(), 1);
    EXPECT_EQ(session.TemplateNodes(), "Template0,Template2");
    EXPECT_TRUE(session.Boxes().empty());
    session.Select("PCI-3916");
    session.Click(104);
    // Every write permission taken away, and for root (for whom permissions do not count) the
    // file made immutable instead, where the file system allows it.
    ASSERT_EQ(chmod(tree.RegPath().c_str(), 0444), 0);
    if (geteuid() == 0 && std::system(("chattr +i '" + tree.RegPath() + "' 2>/dev/null").c_str()))
        GTEST_SKIP() << "root, and no immutable files here";
    session.Click(1006);
    std::system(("chattr -i '" + tree.RegPath() + "' 2>/dev/null").c_str());
    ASSERT_EQ(session.Boxes().size(), 1u);
    EXPECT_EQ(session.Boxes()[0].Text,
              "The templates were not saved to \"" + tree.RegPath() + "\": the file is read-only.");
    EXPECT_EQ(session.StopBoxesSince(0), 1);
    EXPECT_TRUE(session.Enabled(1006));
    EXPECT_TRUE(SameBytes(tree.Read(), start));
    EXPECT_FALSE(tree.JournalLeft());
}

} // namespace
} // namespace robustness
