#include "bench/TableReporter.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <sstream>
#include <tuple>

#include "bench/Measure.h"

namespace bench {
namespace {

constexpr double kOpenLimit = 4;      // plain reads per opening, 64KiB and larger
constexpr double kSmallOpenLimit = 6; // plain reads per opening of a 4KiB file
// Journaled commits (Floor.JournaledWrite) per Save that writes, at 4KiB and 64KiB, where
// the crash-safe commit's own system calls dominate.
constexpr double kSmallSaveLimit = 2;
constexpr double kSaveLimit = 4;      // durable read-plus-writes per Save that writes, 1MiB and up
constexpr double kUnchangedLimit = 2; // plain reads per Save that changes nothing
constexpr double kFlatLimit = 1.5;    // growth of a ratio from 64KiB to 16MiB
constexpr double kPeakLimit = 3;      // heap peak per file byte

bool IsFloor(const std::string& operation) {
    return operation.starts_with("Floor.");
}

bool IsSave(const std::string& operation) {
    return operation.starts_with("Save.") || operation == "RemoveAndSave";
}

std::string Format(const char* format, double value) {
    char text[64];
    std::snprintf(text, sizeof text, format, value);
    return text;
}

std::string Duration(double seconds) {
    if (seconds < 1e-3)
        return Format("%.1f us", seconds * 1e6);
    if (seconds < 1)
        return Format("%.2f ms", seconds * 1e3);
    return Format("%.3f s", seconds);
}

// Exact below 10 KiB, so that a handful of bytes shows as what it is.
std::string Bytes(double bytes) {
    if (bytes < 10 * 1024)
        return Format("%.0f B", bytes);
    if (bytes < 10 * 1024 * 1024)
        return Format("%.1f KiB", bytes / 1024);
    return Format("%.1f MiB", bytes / (1024 * 1024));
}

const MeasuredRow* Find(const std::vector<MeasuredRow>& rows, const std::string& operation,
                        const std::string& placement, const std::string& size) {
    for (const MeasuredRow& row : rows)
        if (row.Operation == operation && row.Placement == placement && row.SizeLabel == size)
            return &row;
    return nullptr;
}

enum class Clock { Wall, Processor };

double SecondsOf(const MeasuredRow& row, Clock clock) {
    return clock == Clock::Wall ? row.Seconds : row.Counter("cpu_seconds");
}

// The operation's time over its floor's at the same size, by one clock; 0 when the floor
// is missing.
double Ratio(const std::vector<MeasuredRow>& rows, const MeasuredRow& row, Clock clock) {
    const std::string floor = FloorOf(row.Operation);
    if (floor.empty())
        return 0;
    const MeasuredRow* base = Find(rows, floor, "", row.SizeLabel);
    if (!base || !base->Error.empty() || SecondsOf(*base, clock) <= 0)
        return 0;
    return SecondsOf(row, clock) / SecondsOf(*base, clock);
}

// The operation's time over that of `floor` at the same size, by one clock; 0 when missing.
double RatioTo(const std::vector<MeasuredRow>& rows, const MeasuredRow& row,
               const std::string& floor, Clock clock) {
    const MeasuredRow* base = Find(rows, floor, "", row.SizeLabel);
    if (!base || !base->Error.empty() || SecondsOf(*base, clock) <= 0)
        return 0;
    return SecondsOf(row, clock) / SecondsOf(*base, clock);
}

bool IsSmallSize(const std::string& size) {
    return size == "4KiB" || size == "64KiB";
}

// A Markdown table: the first columns hold names, the others numbers.
class Table {
public:
    static constexpr std::size_t kNameColumns = 3;
    explicit Table(std::vector<std::string> header) { lines_.push_back(std::move(header)); }
    void Add(std::vector<std::string> line) { lines_.push_back(std::move(line)); }
    void Print(std::ostream& out) const {
        std::vector<std::size_t> widths;
        for (const auto& line : lines_)
            for (std::size_t i = 0; i < line.size(); ++i) {
                widths.resize(std::max(widths.size(), line.size()));
                widths[i] = std::max(widths[i], line[i].size());
            }
        for (std::size_t l = 0; l < lines_.size(); ++l) {
            out << "|";
            for (std::size_t i = 0; i < lines_[l].size(); ++i) {
                const std::string& cell = lines_[l][i];
                // Names to the left, numbers to the right.
                const std::string pad(widths[i] - cell.size(), ' ');
                out << " " << (i < kNameColumns ? cell : pad) << (i < kNameColumns ? pad : cell)
                    << " |";
            }
            out << "\n";
            if (l != 0)
                continue;
            out << "|";
            for (std::size_t i = 0; i < widths.size(); ++i) {
                const std::string rule(widths[i] + 1, '-');
                out << (i < kNameColumns ? ":" : "") << rule << (i < kNameColumns ? "" : ":")
                    << "|";
            }
            out << "\n";
        }
    }

private:
    std::vector<std::vector<std::string>> lines_;
};

struct Verdict {
    std::vector<std::string> Misses;
    double Worst = 0;
    void Note(double value, bool missed, std::string miss) {
        Worst = std::max(Worst, value);
        if (missed)
            Misses.push_back(std::move(miss));
    }
};

void PrintVerdict(std::ostream& out, const std::string& goal, const Verdict& verdict,
                  const std::string& measured) {
    out << "- " << goal << ": " << (verdict.Misses.empty() ? "met" : "NOT met") << " (" << measured
        << ")\n";
    for (const std::string& miss : verdict.Misses)
        out << "    " << miss << "\n";
}

// The goals on time, judged by one clock.
void PrintTimeGoals(std::ostream& out, const std::vector<MeasuredRow>& rows, Clock clock) {
    Verdict open, smallSave, save, unchanged, flat;
    for (const MeasuredRow& row : rows) {
        if (!row.Error.empty() || IsFloor(row.Operation))
            continue;
        const std::string where = row.Operation + "/" + row.Placement + "/" + row.SizeLabel;
        const double ratio = Ratio(rows, row, clock);
        if (row.Operation == "Open") {
            const double limit = row.SizeLabel == "4KiB" ? kSmallOpenLimit : kOpenLimit;
            open.Note(ratio, ratio > limit, where + Format(": %.1f plain reads", ratio));
        } else if (row.Operation == "Save.Unchanged") {
            unchanged.Note(ratio, ratio > kUnchangedLimit,
                           where + Format(": %.1f plain reads", ratio));
        } else if (IsSave(row.Operation) && IsSmallSize(row.SizeLabel)) {
            const double commits = RatioTo(rows, row, "Floor.JournaledWrite", clock);
            smallSave.Note(commits, commits > kSmallSaveLimit,
                           where + Format(": %.1f journaled commits", commits));
        } else if (IsSave(row.Operation)) {
            save.Note(ratio, ratio > kSaveLimit,
                      where + Format(": %.1f durable read-plus-writes", ratio));
        }
        if (row.SizeLabel != "16MiB")
            continue;
        const MeasuredRow* small = Find(rows, row.Operation, row.Placement, "64KiB");
        const double smallRatio = small && small->Error.empty() ? Ratio(rows, *small, clock) : 0;
        if (smallRatio > 0 && ratio > 0) {
            const double growth = ratio / smallRatio;
            flat.Note(growth, growth > kFlatLimit,
                      row.Operation + "/" + row.Placement + Format(": ratio grows %.2f x", growth));
        }
    }
    const std::string by = clock == Clock::Wall ? " (wall clock" : " (processor time";
    PrintVerdict(out, "opening costs at most 4 plain reads, 6 at 4KiB" + by + ")", open,
                 Format("worst %.1f", open.Worst));
    PrintVerdict(
        out, "a Save that writes costs at most 2 journaled commits at 4KiB and 64KiB" + by + ")",
        smallSave, Format("worst %.1f", smallSave.Worst));
    PrintVerdict(out,
                 "a Save that writes costs at most 4 durable read-plus-writes from 1MiB" + by + ")",
                 save, Format("worst %.1f", save.Worst));
    PrintVerdict(out, "a Save that changes nothing costs at most 2 plain reads" + by + ")",
                 unchanged, Format("worst %.1f", unchanged.Worst));
    PrintVerdict(out, "ratios flat from 64KiB to 16MiB, growth at most 1.5 x" + by + ")", flat,
                 flat.Worst > 0 ? Format("worst growth %.2f x", flat.Worst)
                                : std::string("needs both sizes"));
}

void PrintGoals(std::ostream& out, const std::vector<MeasuredRow>& rows) {
    out << "\nGoals:\n";
    PrintTimeGoals(out, rows, Clock::Wall);
    PrintTimeGoals(out, rows, Clock::Processor);
    Verdict unchanged, journal, peak;
    std::vector<std::string> errors;
    for (const MeasuredRow& row : rows) {
        const std::string where = row.Operation + "/" + row.Placement + "/" + row.SizeLabel;
        if (!row.Error.empty()) {
            errors.push_back(where + ": " + row.Error);
            continue;
        }
        if (IsFloor(row.Operation))
            continue;
        const double size = row.Counter("file_size");
        if (IsSave(row.Operation)) {
            const double written = row.Counter("written_journal");
            journal.Note(written / size, written > size,
                         where + ": " + Bytes(written) + " of journal");
        }
        if (row.Operation == "Save.Unchanged") {
            const double written = row.Counter("written_in_place") + row.Counter("written_journal");
            const double changes = row.Counter("mtime_changes");
            unchanged.Note(written, written > 0 || changes > 0,
                           where + ": " + Bytes(written) + " written, " +
                               Format("%.0f modification time changes", changes));
        }
        const double perByte = row.Counter("heap_peak") / size;
        peak.Note(perByte, perByte > kPeakLimit, where + Format(": %.2f x the file", perByte));
    }
    PrintVerdict(out, "a Save that changes nothing writes nothing and keeps the time stamp",
                 unchanged, "every Save.Unchanged row");
    PrintVerdict(out, "journal bytes per Save at most the file size", journal,
                 Format("worst %.2f x the file", journal.Worst));
    PrintVerdict(out, "heap peak at most 3 x the file size", peak,
                 Format("worst %.2f x", peak.Worst));
    if (!errors.empty()) {
        out << "\nFailed benchmarks:\n";
        for (const std::string& error : errors)
            out << "  " << error << "\n";
    }
}

} // namespace

double MeasuredRow::Counter(const std::string& name) const {
    const auto found = Counters.find(name);
    return found == Counters.end() ? 0 : found->second;
}

MeasuredRow RowFromName(const std::string& name) {
    std::vector<std::string> parts;
    std::stringstream stream(name);
    // The library adds "manual_time" to the names of manually timed benchmarks, and
    // "iterations:N" to those of a fixed count.
    for (std::string part; std::getline(stream, part, '/');)
        if (part != "manual_time" && part.rfind("iterations:", 0) != 0)
            parts.push_back(part);
    MeasuredRow row;
    if (parts.empty())
        return row;
    row.Operation = parts.front();
    row.SizeLabel = parts.size() > 1 ? parts.back() : "";
    row.Placement = parts.size() > 2 ? parts[1] : "";
    return row;
}

std::string FloorOf(const std::string& operation) {
    if (operation == "Open" || operation == "Floor.Read" || operation == "Floor.PosixRead" ||
        operation == "Floor.ReadFind")
        return "Floor.Read";
    if (operation == "Save.Unchanged")
        return "Floor.Read";
    if (IsSave(operation) || operation == "Floor.JournaledWrite")
        return "Floor.ReadWriteSync";
    if (IsFloor(operation))
        return "Floor.ReadWrite";
    return {};
}

namespace {

// Where an operation stands in the table; one not listed goes last.
std::size_t OperationOrder(const std::string& operation) {
    static const std::string kOrder[] = {
        "Floor.Read",      "Floor.ReadFind",       "Floor.ReadWrite",      "Floor.ReadWriteSync",
        "Floor.PosixRead", "Floor.PosixReadWrite", "Floor.JournaledWrite", "Open",
        "Save.Unchanged",  "Save.SwitchIdSwap",    "Save.AllValues",       "RemoveAndSave"};
    return static_cast<std::size_t>(std::find(std::begin(kOrder), std::end(kOrder), operation) -
                                    std::begin(kOrder));
}

// Where a size stands among the measured sizes; one not measured goes last.
std::size_t SizeOrder(const std::string& label) {
    std::size_t order = 0;
    while (order < std::size(kSizes) && SizeLabel(kSizes[order]) != label)
        ++order;
    return order;
}

} // namespace

void PrintTable(std::ostream& out, const std::vector<MeasuredRow>& rows) {
    // In a fixed order whatever order the benchmarks ran in (bench/run shuffles them):
    // floors first, then the operations, each by placement and then by size.
    std::vector<MeasuredRow> sorted = rows;
    std::stable_sort(sorted.begin(), sorted.end(), [](const MeasuredRow& a, const MeasuredRow& b) {
        return std::make_tuple(OperationOrder(a.Operation), a.Placement, SizeOrder(a.SizeLabel)) <
               std::make_tuple(OperationOrder(b.Operation), b.Placement, SizeOrder(b.SizeLabel));
    });
    const std::vector<std::string> kColumns = {
        "operation", "where",       "size",       "time",  "x floor", "cpu",       "x floor cpu",
        "read/op",   "in place/op", "journal/op", "opens", "syncs",   "heap peak", "peak/size"};
    Table table(kColumns);
    for (const MeasuredRow& row : sorted) {
        if (!row.Error.empty()) {
            std::vector<std::string> line(kColumns.size());
            line[0] = row.Operation;
            line[1] = row.Placement;
            line[2] = row.SizeLabel;
            line[3] = "failed";
            table.Add(std::move(line));
            continue;
        }
        const double ratio = Ratio(rows, row, Clock::Wall);
        const double cpuRatio = Ratio(rows, row, Clock::Processor);
        const double size = row.Counter("file_size");
        table.Add({row.Operation, row.Placement.empty() ? "-" : row.Placement, row.SizeLabel,
                   Duration(row.Seconds), ratio > 0 ? Format("%.2f", ratio) : "-",
                   Duration(row.Counter("cpu_seconds")),
                   cpuRatio > 0 ? Format("%.2f", cpuRatio) : "-", Bytes(row.Counter("read")),
                   Bytes(row.Counter("written_in_place")), Bytes(row.Counter("written_journal")),
                   Format("%.0f", row.Counter("opens")), Format("%.0f", row.Counter("syncs")),
                   Bytes(row.Counter("heap_peak")),
                   size > 0 ? Format("%.2f", row.Counter("heap_peak") / size) : "-"});
    }
    table.Print(out);
    out << "\ntime: wall clock per operation; cpu: processor time of the thread (user and\n"
           "system), which leaves out other processes and waits for the disk. x floor: over\n"
           "Floor.Read (Open, Save.Unchanged, the other reads), Floor.ReadWriteSync (every\n"
           "other Save, Floor.JournaledWrite) or Floor.ReadWrite (the other floors) of the\n"
           "same size, by the same clock. Bytes per operation as the file layer counts them;\n"
           "in place: written to the driver file, journal: to its \".undo\" file.\n";
    PrintGoals(out, sorted);
}

void AddRepetition(std::vector<MeasuredRow>& rows, MeasuredRow row) {
    const auto same = std::find_if(rows.begin(), rows.end(), [&](const MeasuredRow& kept) {
        return kept.Operation == row.Operation && kept.Placement == row.Placement &&
               kept.SizeLabel == row.SizeLabel;
    });
    if (same == rows.end()) {
        rows.push_back(std::move(row));
    } else if (same->Error.empty() && (!row.Error.empty() || row.Seconds < same->Seconds)) {
        *same = std::move(row);
    }
}

bool TableReporter::ReportContext(const Context& context) {
    std::cerr << "Running " << context.executable_name << " (" << context.cpu_info.num_cpus
              << " CPUs)\n";
    return true;
}

void TableReporter::ReportRuns(const std::vector<Run>& runs) {
    for (const Run& run : runs) {
        if (run.run_type != Run::RT_Iteration)
            continue;
        MeasuredRow row = RowFromName(run.benchmark_name());
        if (run.error_occurred) {
            row.Error = run.error_message;
        } else if (run.iterations > 0) {
            row.Seconds = run.real_accumulated_time / static_cast<double>(run.iterations);
        }
        for (const auto& [name, counter] : run.counters)
            row.Counters[name] = counter.value;
        std::cerr << "  " << run.benchmark_name() << ": "
                  << (row.Error.empty() ? Duration(row.Seconds) : "FAILED " + row.Error) << " ("
                  << run.iterations << " iterations)\n";
        AddRepetition(rows_, std::move(row));
    }
}

bool TableReporter::Failed() const {
    return std::any_of(rows_.begin(), rows_.end(),
                       [](const MeasuredRow& row) { return !row.Error.empty(); });
}

void TableReporter::Finalize() {
    PrintTable(GetOutputStream(), rows_);
}

} // namespace bench
