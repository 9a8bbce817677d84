#include "bench/TableReporter.h"

#include <sstream>

#include <gtest/gtest.h>

namespace bench {
namespace {

MeasuredRow Row(const std::string& name, double seconds, std::map<std::string, double> counters) {
    MeasuredRow row = RowFromName(name);
    row.Seconds = seconds;
    row.Counters = std::move(counters);
    return row;
}

// Floors of 1 ms (read), 2 ms (read plus write), 10 ms (durable read plus write) and 20 ms
// (journaled commit) at 4KiB, 64KiB, 1MiB and 16MiB.
std::vector<MeasuredRow> Floors() {
    std::vector<MeasuredRow> rows;
    for (const char* size : {"4KiB", "64KiB", "1MiB", "16MiB"}) {
        rows.push_back(Row(std::string("Floor.Read/") + size, 1e-3, {}));
        rows.push_back(Row(std::string("Floor.ReadWrite/") + size, 2e-3, {}));
        rows.push_back(Row(std::string("Floor.ReadWriteSync/") + size, 10e-3, {}));
        rows.push_back(Row(std::string("Floor.JournaledWrite/") + size, 20e-3, {}));
    }
    return rows;
}

std::string Printed(const std::vector<MeasuredRow>& rows) {
    std::ostringstream out;
    PrintTable(out, rows);
    return out.str();
}

TEST(RowFromName, SplitsOperationPlacementAndSize) {
    const MeasuredRow table = RowFromName("Save.AllValues/middle/16MiB/manual_time");
    EXPECT_EQ(table.Operation, "Save.AllValues");
    EXPECT_EQ(table.Placement, "middle");
    EXPECT_EQ(table.SizeLabel, "16MiB");
    const MeasuredRow floor = RowFromName("Floor.Read/4KiB/manual_time");
    EXPECT_EQ(floor.Operation, "Floor.Read");
    EXPECT_EQ(floor.Placement, "");
    EXPECT_EQ(floor.SizeLabel, "4KiB");
    const MeasuredRow counted = RowFromName("Save.Unchanged/end/1MiB/iterations:100/manual_time");
    EXPECT_EQ(counted.Operation, "Save.Unchanged");
    EXPECT_EQ(counted.SizeLabel, "1MiB");
}

TEST(AddRepetition, KeepsTheFastestRepetitionAndAnyFailure) {
    std::vector<MeasuredRow> rows;
    AddRepetition(rows, Row("Open/end/4KiB", 3e-3, {{"cpu", 3e-3}}));
    AddRepetition(rows, Row("Floor.Read/4KiB", 1e-3, {}));
    AddRepetition(rows, Row("Open/end/4KiB", 2e-3, {{"cpu", 2.5e-3}}));
    AddRepetition(rows, Row("Open/end/4KiB", 4e-3, {{"cpu", 1e-3}}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Seconds, 2e-3);
    EXPECT_EQ(rows[0].Counter("cpu"), 2.5e-3); // the counters of that same repetition

    MeasuredRow failed = Row("Open/end/4KiB", 9e-3, {});
    failed.Error = "the file changed";
    AddRepetition(rows, failed);
    AddRepetition(rows, Row("Open/end/4KiB", 1e-3, {}));
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].Error, "the file changed");
}

TEST(PrintTable, ListsRowsInAFixedOrderWhateverOrderTheyRanIn) {
    std::vector<MeasuredRow> rows;
    for (const char* name :
         {"Open/middle/16MiB", "Save.AllValues/end/4KiB", "Open/end/64KiB",
          "Floor.ReadWriteSync/4KiB", "Open/end/4KiB", "Floor.Read/64KiB", "Floor.Read/4KiB"})
        rows.push_back(Row(name, 1e-3, {}));
    const std::string printed = Printed(rows);
    std::vector<std::size_t> at;
    for (const char* line :
         {"| Floor.Read          | -      | 4KiB ", "| Floor.Read          | -      | 64KiB",
          "| Floor.ReadWriteSync | -      | 4KiB ", "| Open                | end    | 4KiB ",
          "| Open                | end    | 64KiB", "| Open                | middle | 16MiB",
          "| Save.AllValues      | end    | 4KiB "})
        at.push_back(printed.find(line));
    for (std::size_t i = 0; i < at.size(); ++i) {
        ASSERT_NE(at[i], std::string::npos) << i << "\n" << printed;
        if (i > 0) {
            EXPECT_LT(at[i - 1], at[i]) << i << "\n" << printed;
        }
    }
}

TEST(FloorOf, ComparesOpeningWithReadsAndSavingWithDurableReadPlusWrites) {
    EXPECT_EQ(FloorOf("Open"), "Floor.Read");
    EXPECT_EQ(FloorOf("Floor.PosixRead"), "Floor.Read");
    EXPECT_EQ(FloorOf("Floor.ReadFind"), "Floor.Read");
    EXPECT_EQ(FloorOf("Save.Unchanged"), "Floor.Read");
    EXPECT_EQ(FloorOf("Save.AllValues"), "Floor.ReadWriteSync");
    EXPECT_EQ(FloorOf("RemoveAndSave"), "Floor.ReadWriteSync");
    EXPECT_EQ(FloorOf("Floor.PosixReadWrite"), "Floor.ReadWrite");
    EXPECT_EQ(FloorOf("Floor.JournaledWrite"), "Floor.ReadWriteSync");
}

TEST(PrintTable, ShowsRatiosAndMeetsGoalsWithinTheLimits) {
    std::vector<MeasuredRow> rows = Floors();
    const double size = 65536;
    rows.push_back(Row("Open/end/64KiB", 4e-3, {{"file_size", size}, {"heap_peak", 2 * size}}));
    rows.push_back(Row("Open/end/4KiB", 6e-3, {{"file_size", 4096}}));
    rows.push_back(Row("Save.Unchanged/end/64KiB", 2e-3, {{"file_size", size}}));
    // 2 journaled commits at 64KiB, 4 durable read-plus-writes at 1MiB: both at the limit.
    rows.push_back(Row("Save.AllValues/end/64KiB", 40e-3, {{"file_size", size}}));
    rows.push_back(Row("Save.AllValues/end/1MiB", 40e-3, {{"file_size", 1048576}}));
    const std::string text = Printed(rows);
    EXPECT_NE(text.find("| Open "), std::string::npos);
    EXPECT_NE(text.find("|  4.00 ms |    4.00 |"), std::string::npos) << text;
    EXPECT_NE(text.find("opening costs at most 4 plain reads, 6 at 4KiB (wall clock): met"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("2 journaled commits at 4KiB and 64KiB (wall clock): met (worst 2.0)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("4 durable read-plus-writes from 1MiB (wall clock): met (worst 4.0)"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("changes nothing costs at most 2 plain reads (wall clock): met"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("keeps the time stamp: met"), std::string::npos) << text;
    EXPECT_NE(text.find("heap peak at most 3 x the file size: met"), std::string::npos) << text;
}

TEST(PrintTable, NamesEveryMissedGoal) {
    std::vector<MeasuredRow> rows = Floors();
    const double small = 65536;
    const double large = 16777216;
    rows.push_back(Row("Open/end/64KiB", 2e-3, {{"file_size", small}}));
    // More than twice the ratio at the larger size: not flat.
    rows.push_back(Row("Open/end/16MiB", 5e-3, {{"file_size", large}, {"heap_peak", 4 * large}}));
    // 6.5 plain reads pass at 4KiB only up to 6.
    rows.push_back(Row("Open/end/4KiB", 6.5e-3, {{"file_size", 4096}}));
    rows.push_back(Row("Save.Unchanged/middle/64KiB", 3e-3,
                       {{"file_size", small}, {"written_in_place", 1}, {"mtime_changes", 1}}));
    rows.push_back(Row("RemoveAndSave/middle/64KiB", 45e-3,
                       {{"file_size", small}, {"written_journal", small + 1}}));
    rows.push_back(Row("RemoveAndSave/middle/1MiB", 41e-3, {{"file_size", 1048576}}));
    const std::string text = Printed(rows);
    EXPECT_NE(text.find("6 at 4KiB (wall clock): NOT met"), std::string::npos) << text;
    EXPECT_NE(text.find("Open/end/16MiB: 5.0 plain reads"), std::string::npos) << text;
    EXPECT_NE(text.find("Open/end/4KiB: 6.5 plain reads"), std::string::npos) << text;
    EXPECT_EQ(text.find("Open/end/64KiB: 2.0 plain reads"), std::string::npos) << text;
    EXPECT_NE(text.find("Save.Unchanged/middle/64KiB: 3.0 plain reads"), std::string::npos) << text;
    EXPECT_NE(text.find("RemoveAndSave/middle/64KiB: 2.2 journaled commits"), std::string::npos)
        << text;
    EXPECT_NE(text.find("RemoveAndSave/middle/1MiB: 4.1 durable read-plus-writes"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Open/end: ratio grows 2.50 x"), std::string::npos) << text;
    EXPECT_NE(text.find("Save.Unchanged/middle/64KiB: 1 B written, 1 modification time changes"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("RemoveAndSave/middle/64KiB: 64.0 KiB of journal"), std::string::npos)
        << text;
    EXPECT_NE(text.find("Open/end/16MiB: 4.00 x the file"), std::string::npos) << text;
}

TEST(PrintTable, ListsFailedBenchmarks) {
    std::vector<MeasuredRow> rows = Floors();
    MeasuredRow failed = Row("Save.AllValues/end/64KiB", 0, {});
    failed.Error = "the saved file does not hold the expected bytes";
    rows.push_back(failed);
    const std::string text = Printed(rows);
    EXPECT_NE(text.find("| 64KiB |   failed |"), std::string::npos) << text;
    EXPECT_NE(text.find("Save.AllValues/end/64KiB: the saved file does not hold"),
              std::string::npos)
        << text;
}

} // namespace
} // namespace bench
