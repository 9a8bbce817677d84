// Prints the benchmarks as one table: each operation's time, its ratio to the floor of the
// same file size, the bytes it read and wrote per operation and its heap peak, followed by
// the verdict on each goal. A line per finished benchmark goes to standard error.
#pragma once

#include <map>
#include <ostream>
#include <string>
#include <vector>

#include <benchmark/benchmark.h>

namespace bench {

// One finished benchmark, as the table needs it.
struct MeasuredRow {
    std::string Operation; // "Open", "Save.AllValues", "Floor.Read", ...
    std::string Placement; // "end", "middle", or "" for a floor
    std::string SizeLabel; // "4KiB"
    double Seconds = 0;    // per operation
    std::map<std::string, double> Counters;
    std::string Error; // set when the benchmark failed its check
    double Counter(const std::string& name) const;
};

// Splits "Op/placement/size" or "Op/size".
MeasuredRow RowFromName(const std::string& name);

// The floor an operation is compared with: plain reads for opening, plain read plus write
// for everything that saves, and the file layer's floors for the POSIX ones.
std::string FloorOf(const std::string& operation);

// Adds one repetition's row: a benchmark repeated (--benchmark_repetitions) keeps its
// fastest repetition by the wall clock, as other work on the machine only ever slows one
// down; a repetition that failed its check is kept whatever its time.
void AddRepetition(std::vector<MeasuredRow>& rows, MeasuredRow row);

// Writes the table and the goals' verdicts for the rows.
void PrintTable(std::ostream& out, const std::vector<MeasuredRow>& rows);

class TableReporter : public benchmark::BenchmarkReporter {
public:
    bool ReportContext(const Context& context) override;
    void ReportRuns(const std::vector<Run>& runs) override;
    void Finalize() override;
    // True when a benchmark failed the check of its operation's result.
    bool Failed() const;

private:
    std::vector<MeasuredRow> rows_;
};

} // namespace bench
