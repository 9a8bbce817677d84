// The benchmark suite: the template window's file work on generated driver files of four
// sizes, and in the same run the floor it is measured against. Prints one table.
#include <benchmark/benchmark.h>

#include "bench/FloorBenchmarks.h"
#include "bench/Measure.h"
#include "bench/TableBenchmarks.h"
#include "bench/TableReporter.h"

int main(int argc, char** argv) {
    benchmark::Initialize(&argc, argv);
    if (benchmark::ReportUnrecognizedArguments(argc, argv))
        return 1;
    // Size by size, each operation right after its floors, so that a run of some of them
    // (a filter, a single repetition) measures an operation close in time to its floors:
    // a machine's speed drifts (other work, a virtual machine's neighbours).
    for (std::size_t size : bench::kSizes) {
        bench::RegisterFloorBenchmarks(size);
        bench::RegisterTableBenchmarks(size);
    }
    bench::TableReporter reporter;
    const std::size_t ran = benchmark::RunSpecifiedBenchmarks(&reporter);
    benchmark::Shutdown();
    return ran > 0 && !reporter.Failed() ? 0 : 1;
}
