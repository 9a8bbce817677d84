#include "bench/FileTraffic.h"

#include <cerrno>
#include <string>

#include <gtest/gtest.h>

#include "bench/WorkFiles.h"
#include "platform/File.h"
#include "platform/FileSeam.h"

namespace bench {
namespace {

void Open(platform::File& file, const std::string& path, bool create) {
    platform::FileErrorInfo error;
    const int code = create ? file.Create(path, error) : file.Open(path, error);
    if (code != 0)
        throw platform::FileError(error);
}

class FailingWrites : public platform::FaultHook {
public:
    int BeforeCall(platform::FileCall call, std::string_view) override {
        return call == platform::FileCall::Write ? ENOSPC : 0;
    }
};

TEST(FileTraffic, SplitsTheBytesOfTheFileFromThoseOfItsJournal) {
    WorkFiles files;
    files.Restore(4u << 10, TemplatePlacement::End);
    const std::string path = files.PathOf(4u << 10, TemplatePlacement::End);
    FileTraffic traffic;
    traffic.Start();
    {
        platform::File file;
        Open(file, path, false);
        char bytes[100];
        file.Read(bytes);
        platform::File journal;
        Open(journal, path + ".undo", true);
        journal.Write(std::span<const char>(bytes, 40));
        journal.Sync();
        file.Seek(0, platform::SeekOrigin::Begin);
        file.Write(std::span<const char>(bytes, 7));
        journal.Seek(0, platform::SeekOrigin::Begin);
        char back[40];
        EXPECT_EQ(journal.Read(back), 40u);
        journal.Close();
        platform::RemoveFile(path + ".undo");
        file.Close();
    }
    const TrafficTotals totals = traffic.Stop();
    EXPECT_EQ(totals.BytesRead, 100u);
    EXPECT_EQ(totals.InPlaceWritten, 7u);
    EXPECT_EQ(totals.JournalWritten, 40u);
    EXPECT_EQ(totals.JournalRead, 40u);
    EXPECT_EQ(totals.Opens, 1u);
    EXPECT_EQ(totals.Syncs, 1u);
    EXPECT_EQ(totals.Calls, 12u);

    // A new measurement starts from zero.
    traffic.Start();
    EXPECT_EQ(traffic.Stop().Calls, 0u);
}

TEST(FileTraffic, KeepsTheHookItWasInstalledOverAndPutsItBack) {
    WorkFiles files;
    files.Restore(4u << 10, TemplatePlacement::End);
    const std::string path = files.PathOf(4u << 10, TemplatePlacement::End);
    FailingWrites failing;
    platform::FaultHook* before = platform::SetFaultHook(&failing);
    {
        FileTraffic traffic;
        platform::File file;
        Open(file, path, false);
        EXPECT_THROW(file.Write(std::span<const char>("x", 1)), platform::FileError);
        file.Close();
    }
    EXPECT_EQ(platform::SetFaultHook(before), &failing);
}

TEST(FileTraffic, KnowsTheJournalByItsName) {
    EXPECT_TRUE(FileTraffic::IsJournalPath("/tmp/x/PCI3916.reg.undo"));
    EXPECT_FALSE(FileTraffic::IsJournalPath("/tmp/x/PCI3916.reg"));
    EXPECT_FALSE(FileTraffic::IsJournalPath("/tmp/x.undo/PCI3916.reg"));
}

} // namespace
} // namespace bench
