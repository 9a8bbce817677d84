#include "bench/TableReporter.h"

#include <algorithm>
#include <cstdio>
#include <iostream>
#include <set>
#include <sstream>

namespace bench {
namespace {

constexpr double kOpenLimit = 20;  // plain reads per opening
constexpr double kSaveLimit = 25;  // plain read-plus-writes per Save
constexpr double kFlatLimit = 1.5; // growth of a ratio from 64KiB to 16MiB
constexpr double kPeakLimit = 3;   // heap peak per file byte

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

// The operation's time over its floor's at the same size; 0 when the floor is missing.
double Ratio(const std::vector<MeasuredRow>& rows, const MeasuredRow& row) {
    const std::string floor = FloorOf(row.Operation);
    if (floor.empty())
        return 0;
    const MeasuredRow* base = Find(rows, floor, "", row.SizeLabel);
    return base && base->Error.empty() && base->Seconds > 0 ? row.Seconds / base->Seconds : 0;
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

void PrintVerdict(std::ostream& out, const std::string& goal,
                  const std::vector<std::string>& misses, const std::string& measured) {
    out << "- " << goal << ": " << (misses.empty() ? "met" : "NOT met") << " (" << measured << ")";
    for (const std::string& miss : misses)
        out << "\n    " << miss;
    out << "\n";
}

void PrintGoals(std::ostream& out, const std::vector<MeasuredRow>& rows) {
    out << "\nGoals:\n";
    double worstOpen = 0;
    double worstSave = 0;
    double worstGrowth = 0;
    double worstJournal = 0;
    double worstPeak = 0;
    std::vector<std::string> openMisses, saveMisses, flatMisses, unchangedMisses, journalMisses,
        peakMisses, errors;
    for (const MeasuredRow& row : rows) {
        const std::string where = row.Operation + "/" + row.Placement + "/" + row.SizeLabel;
        if (!row.Error.empty()) {
            errors.push_back(where + ": " + row.Error);
            continue;
        }
        if (IsFloor(row.Operation))
            continue;
        const double ratio = Ratio(rows, row);
        const double size = row.Counter("file_size");
        if (row.Operation == "Open") {
            worstOpen = std::max(worstOpen, ratio);
            if (ratio > kOpenLimit)
                openMisses.push_back(where + Format(": %.1f plain reads", ratio));
        }
        if (IsSave(row.Operation)) {
            worstSave = std::max(worstSave, ratio);
            if (ratio > kSaveLimit)
                saveMisses.push_back(where + Format(": %.1f plain read-plus-writes", ratio));
            const double journal = row.Counter("written_journal");
            worstJournal = std::max(worstJournal, journal / size);
            if (journal > size)
                journalMisses.push_back(where + ": " + Bytes(journal) + " of journal");
        }
        if (row.Operation == "Save.Unchanged") {
            const double written = row.Counter("written_in_place") + row.Counter("written_journal");
            if (written > 0 || row.Counter("mtime_changes") > 0)
                unchangedMisses.push_back(where + ": " + Bytes(written) + " written, " +
                                          Format("%.0f", row.Counter("mtime_changes")) +
                                          " modification time changes");
        }
        const double peak = row.Counter("heap_peak") / size;
        worstPeak = std::max(worstPeak, peak);
        if (peak > kPeakLimit)
            peakMisses.push_back(where + Format(": %.2f x the file", peak));
        if (row.SizeLabel == "16MiB") {
            const MeasuredRow* small = Find(rows, row.Operation, row.Placement, "64KiB");
            const double smallRatio = small && small->Error.empty() ? Ratio(rows, *small) : 0;
            if (smallRatio > 0 && ratio > 0) {
                const double growth = ratio / smallRatio;
                worstGrowth = std::max(worstGrowth, growth);
                if (growth > kFlatLimit)
                    flatMisses.push_back(row.Operation + "/" + row.Placement +
                                         Format(": ratio grows %.2f x", growth));
            }
        }
    }
    PrintVerdict(out, "opening costs at most 20 plain reads", openMisses,
                 Format("worst %.1f", worstOpen));
    PrintVerdict(out, "a Save costs at most 25 plain read-plus-writes", saveMisses,
                 Format("worst %.1f", worstSave));
    PrintVerdict(out, "ratios flat from 64KiB to 16MiB (growth at most 1.5 x)", flatMisses,
                 worstGrowth > 0 ? Format("worst growth %.2f x", worstGrowth)
                                 : std::string("needs both sizes"));
    PrintVerdict(out, "a Save that changes nothing writes nothing and keeps the time stamp",
                 unchangedMisses, "checked on every Save.Unchanged row");
    PrintVerdict(out, "journal bytes per Save at most the file size", journalMisses,
                 Format("worst %.2f x the file", worstJournal));
    PrintVerdict(out, "heap peak at most 3 x the file size", peakMisses,
                 Format("worst %.2f x", worstPeak));
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
    // The library adds "manual_time" to the names of manually timed benchmarks.
    for (std::string part; std::getline(stream, part, '/');)
        if (part != "manual_time")
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
    if (operation == "Open" || operation == "Floor.Read" || operation == "Floor.PosixRead")
        return "Floor.Read";
    if (IsSave(operation) || IsFloor(operation))
        return "Floor.ReadWrite";
    return {};
}

void PrintTable(std::ostream& out, const std::vector<MeasuredRow>& rows) {
    std::vector<const MeasuredRow*> sorted;
    for (const MeasuredRow& row : rows)
        sorted.push_back(&row);
    // Floors first, then the operations in the order they ran; by size within each.
    std::stable_sort(sorted.begin(), sorted.end(), [](const MeasuredRow* a, const MeasuredRow* b) {
        return IsFloor(a->Operation) > IsFloor(b->Operation);
    });
    Table table({"operation", "where", "size", "time", "x floor", "read/op", "in place/op",
                 "journal/op", "opens", "syncs", "heap peak", "peak/size"});
    for (const MeasuredRow* row : sorted) {
        if (!row->Error.empty()) {
            table.Add({row->Operation, row->Placement, row->SizeLabel, "failed", "", "", "", "", "",
                       "", "", ""});
            continue;
        }
        const double ratio = Ratio(rows, *row);
        const double size = row->Counter("file_size");
        table.Add({row->Operation, row->Placement.empty() ? "-" : row->Placement, row->SizeLabel,
                   Duration(row->Seconds), ratio > 0 ? Format("%.2f", ratio) : "-",
                   Bytes(row->Counter("read")), Bytes(row->Counter("written_in_place")),
                   Bytes(row->Counter("written_journal")), Format("%.0f", row->Counter("opens")),
                   Format("%.0f", row->Counter("syncs")), Bytes(row->Counter("heap_peak")),
                   size > 0 ? Format("%.2f", row->Counter("heap_peak") / size) : "-"});
    }
    table.Print(out);
    out << "\nx floor: time over Floor.Read (Open, Floor.PosixRead) or Floor.ReadWrite (every\n"
           "Save, the other floors) of the same size. Bytes per operation as the file layer\n"
           "counts them; in place: written to the driver file, journal: to its \".undo\" file.\n";
    PrintGoals(out, rows);
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
        rows_.push_back(std::move(row));
    }
}

void TableReporter::Finalize() {
    PrintTable(GetOutputStream(), rows_);
}

} // namespace bench
