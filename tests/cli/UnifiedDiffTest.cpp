// The --dry-run diff: exact hunks for the shapes a Save gives, and for many random edits,
// that `patch` turns the old file into the new one byte for byte (CR LF lines, a last line
// without a line end, zero bytes).
#include <gtest/gtest.h>

#include <cstdlib>
#include <random>

#include "cli/UnifiedDiff.h"
#include "tests/support/TempFolder.h"

namespace cli {
namespace {

TEST(UnifiedDiff, EqualTextsGiveNothing) {
    EXPECT_EQ(UnifiedDiff("", "", "f"), "");
    EXPECT_EQ(UnifiedDiff("a\r\nb\r\n", "a\r\nb\r\n", "f"), "");
}

TEST(UnifiedDiff, ReplacedLineWithContextAndItsOwnLineEnd) {
    const std::string before = "1\r\n2\r\n3\r\n4\r\n\"SwitchID\"=dword:a\r\n6\r\n7\r\n8\r\n9\r\n";
    const std::string after = "1\r\n2\r\n3\r\n4\r\n\"SwitchID\"=dword:5\r\n6\r\n7\r\n8\r\n9\r\n";
    EXPECT_EQ(UnifiedDiff(before, after, "x.reg"),
              "--- x.reg\n+++ x.reg\n@@ -2,7 +2,7 @@\n 2\r\n 3\r\n 4\r\n"
              "-\"SwitchID\"=dword:a\r\n+\"SwitchID\"=dword:5\r\n 6\r\n 7\r\n 8\r\n");
}

TEST(UnifiedDiff, AppendedSectionAfterALastLineWithoutLineEnd) {
    EXPECT_EQ(UnifiedDiff("a\nb", "a\nb \r\n[X]\r\n", "f"),
              "--- f\n+++ f\n@@ -1,2 +1,3 @@\n a\n-b\n\\ No newline at end of file\n"
              "+b \r\n+[X]\r\n");
}

TEST(UnifiedDiff, InsertionsAndDeletionsAtTheEdges) {
    EXPECT_EQ(UnifiedDiff("", "a\n", "f"), "--- f\n+++ f\n@@ -0,0 +1 @@\n+a\n");
    EXPECT_EQ(UnifiedDiff("a\nb\n", "", "f"), "--- f\n+++ f\n@@ -1,2 +0,0 @@\n-a\n-b\n");
    EXPECT_EQ(UnifiedDiff("a\nb\nc\nd\ne\n", "a\nb\nc\nd\ne\nf\n", "f", 1),
              "--- f\n+++ f\n@@ -5 +5,2 @@\n e\n+f\n");
    // Without context an empty range names the line it follows.
    EXPECT_EQ(UnifiedDiff("a\nb\nc\n", "a\nb\nx\nc\n", "f", 0),
              "--- f\n+++ f\n@@ -2,0 +3 @@\n+x\n");
    EXPECT_EQ(UnifiedDiff("a\nb\nc\n", "a\nc\n", "f", 0), "--- f\n+++ f\n@@ -2 +1,0 @@\n-b\n");
}

TEST(UnifiedDiff, DistantChangesGetTheirOwnHunks) {
    std::string before;
    for (int i = 0; i < 20; ++i)
        before += std::to_string(i) + "\n";
    std::string after = before;
    after.replace(after.find("2\n"), 2, "two\n");
    after.replace(after.find("17\n"), 3, "");
    EXPECT_EQ(
        UnifiedDiff(before, after, "f", 1),
        "--- f\n+++ f\n@@ -2,3 +2,3 @@\n 1\n-2\n+two\n 3\n@@ -17,3 +17,2 @@\n 16\n-17\n 18\n");
}

// A text of lines drawn from a small alphabet (so that lines repeat, as they do in a
// driver file), with CR LF, LF and a missing last line end.
std::string RandomText(std::mt19937& random, int lines) {
    static const char* const kLines[] = {"[K]\r\n",    "\"SwitchID\"=dword:1\r\n",    "\n", " \r\n",
                                         "; note\r\n", "\"LatchData\"=hex:01,00\r\n", "x\n"};
    std::string text;
    for (int i = 0; i < lines; ++i)
        text += kLines[random() % std::size(kLines)];
    if (random() % 4 == 0)
        text += "tail without line end";
    return text;
}

std::string Mutate(std::mt19937& random, std::string text) {
    const int edits = 1 + static_cast<int>(random() % 5);
    for (int e = 0; e < edits; ++e) {
        const std::size_t at = text.empty() ? 0 : random() % text.size();
        switch (random() % 3) {
        case 0:
            text.insert(at, RandomText(random, 1 + static_cast<int>(random() % 3)));
            break;
        case 1:
            text.erase(at, random() % 40);
            break;
        default:
            text.insert(at, std::string(1, '\0') + "\r");
        }
    }
    return text;
}

TEST(UnifiedDiff, PatchTurnsTheOldFileIntoTheNewOne) {
    if (std::system("patch --version > /dev/null 2>&1") != 0)
        GTEST_SKIP() << "patch is not installed";
    testing_support::TempFolder folder;
    const std::string file = folder.PathOf("file.reg");
    const std::string diff = folder.PathOf("change.diff");
    std::mt19937 random(3916);
    for (int round = 0; round < 60; ++round) {
        const std::string before = RandomText(random, static_cast<int>(random() % 30));
        const std::string after = Mutate(random, before);
        const std::string change = UnifiedDiff(before, after, "file.reg", round % 4);
        if (change.empty()) {
            EXPECT_EQ(before, after);
            continue;
        }
        testing_support::WriteBytes(file, before);
        testing_support::WriteBytes(diff, change);
        const std::string command = "patch -s --no-backup-if-mismatch " + file + " < " + diff;
        ASSERT_EQ(std::system(command.c_str()), 0) << "round " << round;
        ASSERT_EQ(testing_support::ReadBytes(file), after) << "round " << round;
    }
}

} // namespace
} // namespace cli
