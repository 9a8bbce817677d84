// The tree-free file layer: one load task, one Save task, and what identifies a content.
#include <gtest/gtest.h>

#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>
#include <chrono>
#include <set>
#include <thread>

#include "templates/TemplateFile.h"
#include "tests/support/TempFolder.h"
#include "tests/templates/TableFixture.h"

using templates::FileIdentity;
using templates::LoadTemplateFile;
using templates::SavePlan;
using templates::SaveTemplateFile;
using templates::TemplateRecord;
using testing_support::ReadBytes;
using testing_support::Section;
using testing_support::TempFolder;
using testing_support::WriteBytes;

namespace {

const std::string kHead = "REGEDIT4\r\n\r\n\"Dll\"=\"VKR3916S.dll\"\r\n";
const std::string kZeros = "00,00,00,00,00,00,00,00";

std::string Plain(int index, int switchId) {
    return Section(index, switchId, kZeros, kZeros);
}

// Records with every value different from the files' ones.
void Edited(TemplateRecord (&records)[templates::kTemplateCount]) {
    for (int i = 0; i < templates::kTemplateCount; ++i) {
        records[i] = TemplateRecord{templates::kRecordTag, 15 - i, {}, {}};
        records[i].TriggerMode[0] = static_cast<std::uint8_t>(4 + i);
        records[i].LatchData[6] = 1;
    }
}

// Files whose sections are out of order, hold a comment with "[", a zero byte, CR-only
// line ends, a second section of one template and an unrelated key in the middle.
std::vector<std::string> HazardousFiles() {
    return {
        kHead + Plain(3, 3) + Plain(0, 0) + Plain(12, 9),
        kHead + Plain(1, 1) + "; see [notes]\r\n" + Plain(2, 2) +
            "[HKEY_LOCAL_MACHINE\\Other]\r\n" + "\"X\"=dword:1\r\n" + Plain(5, 5),
        kHead + Plain(0, 0) + std::string("\0tail [", 7) + Plain(4, 4),
        "REGEDIT4\r\r" + Plain(6, 6) + Plain(7, 7),
        kHead + Plain(2, 2) + Plain(2, 7) + Plain(9, 1),
        kHead,
    };
}

// The Save as one task gives, byte for byte, what one task per deletion and per template
// gives, for deletions, replacements and appends together.
TEST(TemplateFileSave, OneTaskGivesTheBytesOfOneTaskPerStep) {
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    const SavePlan plan{static_cast<std::uint16_t>((1u << 2) | (1u << 4) | (1u << 12)),
                        {5, 2, 0, 13, 7, 6, 1}};
    for (const std::string& start : HazardousFiles()) {
        TempFolder folder;
        const std::string once = folder.PathOf("once.reg");
        const std::string stepwise = folder.PathOf("stepwise.reg");
        WriteBytes(once, start);
        WriteBytes(stepwise, start);

        const auto result = SaveTemplateFile(once, records, plan);
        ASSERT_TRUE(result.Ok) << result.Error.Text;
        EXPECT_FALSE(result.Merged);
        for (int i = templates::kTemplateCount - 1; i >= 0; --i) {
            if (plan.Deletes & (1u << i)) {
                const SavePlan one{static_cast<std::uint16_t>(1u << i), {}};
                ASSERT_TRUE(SaveTemplateFile(stepwise, records, one).Ok);
            }
        }
        for (const int index : plan.Writes)
            ASSERT_TRUE(SaveTemplateFile(stepwise, records, SavePlan{0, {index}}).Ok);

        const std::string saved = ReadBytes(once);
        EXPECT_EQ(saved, ReadBytes(stepwise)) << "from:\n" << start;
        EXPECT_EQ(result.Identity, templates::IdentityOf(saved));
        // Read back, every written template holds the records' values.
        const auto loaded = LoadTemplateFile(once);
        ASSERT_TRUE(loaded.Ok);
        for (const int index : plan.Writes) {
            EXPECT_TRUE(loaded.Content.Present & (1u << index)) << index;
            EXPECT_EQ(loaded.Content.Records[index].SwitchId, records[index].SwitchId);
            EXPECT_EQ(loaded.Content.Records[index].TriggerMode[0], records[index].TriggerMode[0]);
        }
    }
}

TEST(TemplateFileSave, TheMergePlanIsAppliedOnlyWhenTheFileChangedSinceItWasRead) {
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    const std::string start = kHead + Plain(0, 0) + Plain(1, 1);
    WriteBytes(path, start);
    const auto read = LoadTemplateFile(path);
    ASSERT_TRUE(read.Ok);
    TemplateRecord records[templates::kTemplateCount];
    Edited(records);
    const SavePlan full{0, {0, 1}};
    const SavePlan merge{0, {1}};

    auto unchanged = SaveTemplateFile(path, records, full, read.Content.Identity, &merge);
    ASSERT_TRUE(unchanged.Ok);
    EXPECT_FALSE(unchanged.Merged);
    EXPECT_EQ(LoadTemplateFile(path).Content.Records[0].SwitchId, 15);

    // Another program puts template 0 back; only template 1 is written over it.
    WriteBytes(path, start);
    records[1].SwitchId = 4;
    const auto merged = SaveTemplateFile(path, records, full, unchanged.Identity, &merge);
    ASSERT_TRUE(merged.Ok);
    EXPECT_TRUE(merged.Merged);
    const auto after = LoadTemplateFile(path);
    EXPECT_EQ(after.Content.Records[0].SwitchId, 0) << "the other program's template reverted";
    EXPECT_EQ(after.Content.Records[1].SwitchId, 4);
}

TEST(TemplateFileIdentity, EveryOneByteChangeAndEveryLengthTells) {
    std::string text = kHead + Plain(0, 0);
    const FileIdentity original = templates::IdentityOf(text);
    EXPECT_TRUE(original.Known);
    EXPECT_EQ(original, templates::IdentityOf(std::string(text)));
    EXPECT_NE(original, FileIdentity{}) << "nothing read matches no content";
    std::set<std::uint64_t> seen{original.Checksum};
    for (std::size_t i = 0; i < text.size(); ++i) {
        std::string changed = text;
        changed[i] = static_cast<char>(changed[i] ^ 0x01);
        EXPECT_NE(templates::IdentityOf(changed), original) << "byte " << i;
        seen.insert(templates::IdentityOf(changed).Checksum);
        // Two bytes swapped keep the length and the bytes, not the order.
        if (i + 1 < text.size() && text[i] != text[i + 1]) {
            std::string swapped = text;
            std::swap(swapped[i], swapped[i + 1]);
            EXPECT_NE(templates::IdentityOf(swapped), original) << "swap at " << i;
        }
    }
    EXPECT_EQ(seen.size(), text.size() + 1) << "two one-byte changes gave one checksum";
    for (std::size_t cut = 0; cut < text.size(); ++cut)
        EXPECT_NE(templates::IdentityOf(std::string_view(text).substr(0, cut)), original);
}

// An opener that holds the file for a moment is waited for; one that keeps it is reported
// as in use once the wait is over. The margins are seconds wide, for a loaded machine.
TEST(TemplateFileLoad, WaitsForAFileHeldForAMomentThenReportsItInUse) {
    TempFolder folder;
    const std::string path = folder.PathOf("PCI3916.reg");
    WriteBytes(path, kHead + Plain(3, 3));
    const int held = open(path.c_str(), O_RDWR);
    ASSERT_GE(held, 0);
    ASSERT_EQ(flock(held, LOCK_EX | LOCK_NB), 0);

    std::thread release([held] {
        std::this_thread::sleep_for(std::chrono::milliseconds(300));
        close(held);
    });
    const auto waited = LoadTemplateFile(path, std::chrono::milliseconds(5000));
    release.join();
    ASSERT_TRUE(waited.Ok) << waited.Error.Text;
    EXPECT_EQ(waited.Content.Present, 1u << 3);

    const int kept = open(path.c_str(), O_RDWR);
    ASSERT_EQ(flock(kept, LOCK_EX | LOCK_NB), 0);
    const auto begin = std::chrono::steady_clock::now();
    const auto refused = LoadTemplateFile(path, std::chrono::milliseconds(200));
    const auto spent = std::chrono::steady_clock::now() - begin;
    close(kept);
    EXPECT_FALSE(refused.Ok);
    EXPECT_FALSE(refused.Opened);
    EXPECT_EQ(refused.Error.Code, EWOULDBLOCK);
    EXPECT_GE(spent, std::chrono::milliseconds(200));
    EXPECT_LT(spent, std::chrono::milliseconds(3000));

    // Not in use: missing is told at once.
    const auto start = std::chrono::steady_clock::now();
    const auto missing = LoadTemplateFile(folder.PathOf("absent.reg"), std::chrono::seconds(5));
    EXPECT_EQ(missing.Error.Code, ENOENT);
    EXPECT_LT(std::chrono::steady_clock::now() - start, std::chrono::seconds(3));
}

} // namespace
