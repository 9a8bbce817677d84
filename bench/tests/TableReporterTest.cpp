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

// Floors of 1 ms (read) and 2 ms (read plus write) at 64KiB and 16MiB.
std::vector<MeasuredRow> Floors() {
    std::vector<MeasuredRow> rows;
    for (const char* size : {"64KiB", "16MiB"}) {
        rows.push_back(Row(std::string("Floor.Read/") + size, 1e-3, {}));
        rows.push_back(Row(std::string("Floor.ReadWrite/") + size, 2e-3, {}));
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
}

TEST(FloorOf, ComparesOpeningWithReadsAndSavingWithReadPlusWrites) {
    EXPECT_EQ(FloorOf("Open"), "Floor.Read");
    EXPECT_EQ(FloorOf("Floor.PosixRead"), "Floor.Read");
    EXPECT_EQ(FloorOf("Floor.ReadFind"), "Floor.Read");
    EXPECT_EQ(FloorOf("Save.Unchanged"), "Floor.ReadWrite");
    EXPECT_EQ(FloorOf("RemoveAndSave"), "Floor.ReadWrite");
    EXPECT_EQ(FloorOf("Floor.PosixReadWrite"), "Floor.ReadWrite");
}

TEST(PrintTable, ShowsRatiosAndMeetsGoalsWithinTheLimits) {
    std::vector<MeasuredRow> rows = Floors();
    const double size = 65536;
    rows.push_back(Row("Open/end/64KiB", 18e-3, {{"file_size", size}, {"heap_peak", 2 * size}}));
    rows.push_back(Row("Save.Unchanged/end/64KiB", 30e-3, {{"file_size", size}}));
    const std::string text = Printed(rows);
    EXPECT_NE(text.find("| Open "), std::string::npos);
    EXPECT_NE(text.find("| 18.00 ms |   18.00 |"), std::string::npos) << text;
    EXPECT_NE(text.find("opening costs at most 20 plain reads (wall clock): met"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("25 plain read-plus-writes (wall clock): met"), std::string::npos) << text;
    EXPECT_NE(text.find("keeps the time stamp: met"), std::string::npos) << text;
    EXPECT_NE(text.find("heap peak at most 3 x the file size: met"), std::string::npos) << text;
}

TEST(PrintTable, NamesEveryMissedGoal) {
    std::vector<MeasuredRow> rows = Floors();
    const double small = 65536;
    const double large = 16777216;
    rows.push_back(Row("Open/end/64KiB", 10e-3, {{"file_size", small}}));
    // Twice the ratio at the larger size: not flat.
    rows.push_back(Row("Open/end/16MiB", 21e-3, {{"file_size", large}, {"heap_peak", 4 * large}}));
    rows.push_back(Row("Save.Unchanged/middle/64KiB", 60e-3,
                       {{"file_size", small}, {"written_in_place", 1}, {"mtime_changes", 1}}));
    rows.push_back(Row("RemoveAndSave/middle/64KiB", 1e-3,
                       {{"file_size", small}, {"written_journal", small + 1}}));
    const std::string text = Printed(rows);
    EXPECT_NE(text.find("20 plain reads (wall clock): NOT met"), std::string::npos) << text;
    EXPECT_NE(text.find("Open/end/16MiB: 21.0 plain reads"), std::string::npos) << text;
    EXPECT_NE(text.find("Save.Unchanged/middle/64KiB: 30.0 plain read-plus-writes"),
              std::string::npos)
        << text;
    EXPECT_NE(text.find("Open/end: ratio grows 2.10 x"), std::string::npos) << text;
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
    EXPECT_NE(text.find("| 64KiB |  failed |"), std::string::npos) << text;
    EXPECT_NE(text.find("Save.AllValues/end/64KiB: the saved file does not hold"),
              std::string::npos)
        << text;
}

} // namespace
} // namespace bench
