#include "bench/Measure.h"

#include <ctime>

namespace bench {

std::string SizeLabel(std::size_t size) {
    if (size >= (1u << 20) && size % (1u << 20) == 0)
        return std::to_string(size >> 20) + "MiB";
    if (size >= (1u << 10) && size % (1u << 10) == 0)
        return std::to_string(size >> 10) + "KiB";
    return std::to_string(size) + "B";
}

double ThreadCpuSeconds() {
    timespec now{};
    clock_gettime(CLOCK_THREAD_CPUTIME_ID, &now);
    return static_cast<double>(now.tv_sec) + static_cast<double>(now.tv_nsec) * 1e-9;
}

void OperationTotals::Add(const TrafficTotals& traffic, std::size_t heapPeak,
                          bool modificationTimeChanged, double cpuSeconds) {
    cpuSeconds_ += cpuSeconds;
    traffic_.BytesRead += traffic.BytesRead;
    traffic_.InPlaceWritten += traffic.InPlaceWritten;
    traffic_.JournalWritten += traffic.JournalWritten;
    traffic_.JournalRead += traffic.JournalRead;
    traffic_.Calls += traffic.Calls;
    traffic_.Opens += traffic.Opens;
    traffic_.Syncs += traffic.Syncs;
    heapPeak_ = std::max(heapPeak_, heapPeak);
    if (modificationTimeChanged)
        ++modificationTimeChanges_;
}

void OperationTotals::Report(benchmark::State& state, std::size_t fileSize) const {
    using benchmark::Counter;
    auto perOperation = [](std::uint64_t total) {
        return Counter(static_cast<double>(total), Counter::kAvgIterations);
    };
    state.counters["read"] = perOperation(traffic_.BytesRead);
    state.counters["written_in_place"] = perOperation(traffic_.InPlaceWritten);
    state.counters["written_journal"] = perOperation(traffic_.JournalWritten);
    state.counters["read_journal"] = perOperation(traffic_.JournalRead);
    state.counters["file_calls"] = perOperation(traffic_.Calls);
    state.counters["opens"] = perOperation(traffic_.Opens);
    state.counters["syncs"] = perOperation(traffic_.Syncs);
    state.counters["cpu_seconds"] = Counter(cpuSeconds_, Counter::kAvgIterations);
    state.counters["heap_peak"] = Counter(static_cast<double>(heapPeak_));
    state.counters["file_size"] = Counter(static_cast<double>(fileSize));
    state.counters["mtime_changes"] = Counter(static_cast<double>(modificationTimeChanges_));
}

} // namespace bench
