// The measuring loop shared by every benchmark: per iteration an untimed set-up, the timed
// operation with the file traffic and heap peak it causes, then an untimed check.
#pragma once

#include <algorithm>
#include <chrono>
#include <cstddef>
#include <string>

#include <benchmark/benchmark.h>

#include "bench/FileTraffic.h"
#include "bench/HeapPeak.h"

namespace bench {

// The file sizes measured, and the labels they carry in benchmark names.
inline constexpr std::size_t kSizes[] = {4u << 10, 64u << 10, 1u << 20, 16u << 20};
std::string SizeLabel(std::size_t size);

// Totals over the iterations of one benchmark, turned into per-operation counters.
class OperationTotals {
public:
    void Add(const TrafficTotals& traffic, std::size_t heapPeak, bool modificationTimeChanged,
             double cpuSeconds);
    // Sets the counters the table reads: bytes read and written (in place, journal) per
    // operation, file opens and syncs per operation, processor seconds per operation, the
    // heap peak, the file size and how many operations changed the file's modification
    // time.
    void Report(benchmark::State& state, std::size_t fileSize) const;

private:
    TrafficTotals traffic_;
    std::size_t heapPeak_ = 0;
    std::size_t modificationTimeChanges_ = 0;
    double cpuSeconds_ = 0;
};

// Processor time of the calling thread, user and system, in seconds: unlike the wall
// clock it leaves out the time other processes of a busy machine take, and the waits for
// the disk.
double ThreadCpuSeconds();

// `prepare()` returns the operation's subject, built untimed; `operation(subject)` is
// timed; `check(subject)` runs untimed after it and returns an error text, empty when the
// operation did what it should. `modificationTime()` is read before and after the
// operation, untimed.
template <class Prepare, class Operation, class Check, class Stamp>
void Measure(benchmark::State& state, std::size_t fileSize, Prepare prepare, Operation operation,
             Check check, Stamp modificationTime) {
    FileTraffic traffic;
    OperationTotals totals;
    for (auto _ : state) {
        auto subject = prepare();
        const long long before = modificationTime();
        HeapPeak::Mark();
        traffic.Start();
        const double cpuStart = ThreadCpuSeconds();
        const auto start = std::chrono::steady_clock::now();
        operation(*subject);
        const auto stop = std::chrono::steady_clock::now();
        const double cpu = ThreadCpuSeconds() - cpuStart;
        const TrafficTotals moved = traffic.Stop();
        const std::size_t peak = HeapPeak::PeakSinceMark();
        state.SetIterationTime(std::chrono::duration<double>(stop - start).count());
        totals.Add(moved, peak, modificationTime() != before, cpu);
        if (const std::string error = check(*subject); !error.empty()) {
            state.SkipWithError(error.c_str());
            break;
        }
    }
    totals.Report(state, fileSize);
}

} // namespace bench
