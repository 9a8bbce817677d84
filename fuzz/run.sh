#!/usr/bin/env bash
# Builds the fuzz targets (clang, build-fuzz/) and runs each for a bounded time.
#
#   fuzz/run.sh SECONDS [TARGET...]
#
# Each target starts from its committed seeds (fuzz/corpus/<name>) plus what earlier runs
# on this machine found (build-fuzz/corpus/<name>, not committed) and runs for SECONDS.
# A crash, leak, timeout or failed check stops that target; its input is kept in
# build-fuzz/artifacts/ and the script exits 1. The last lines give the executions of each
# target, from libFuzzer's final statistics.
set -u
cd "$(dirname "$0")/.."
seconds=${1:?usage: fuzz/run.sh SECONDS [TARGET...]}
shift
targets=("$@")
[ ${#targets[@]} -gt 0 ] || targets=(regfile journal script resource-file)
build=build-fuzz

cmake -S . -B "$build" -DCMAKE_CXX_COMPILER=clang++ -DCMAKE_BUILD_TYPE=RelWithDebInfo \
    -DPCI_BUILD_FUZZ=ON -DPCI_BUILD_TESTS=OFF -DPCI_BUILD_BENCH=OFF \
    -DPCI_WERROR="${PCI_WERROR:-OFF}" > /dev/null || exit 1
cmake --build "$build" -j"$(nproc)" --target fuzz_all > "$build/fuzz-build.log" 2>&1 ||
    { tail -40 "$build/fuzz-build.log"; exit 1; }

status=0
summary=""
for target in "${targets[@]}"; do
    binary="$build/fuzz/${target//-/_}_fuzzer"
    work="$build/corpus/$target"
    artifacts="$build/artifacts/$target/"
    mkdir -p "$work" "$artifacts"
    log="$build/fuzz-$target.log"
    echo "== fuzzing $target for ${seconds}s"
    "$binary" -max_total_time="$seconds" -print_final_stats=1 -timeout=10 -rss_limit_mb=2048 \
        -artifact_prefix="$artifacts" "$work" "fuzz/corpus/$target" > "$log" 2>&1
    code=$?
    runs=$(sed -n 's/^stat::number_of_executed_units: *//p' "$log" | tail -1)
    rate=$(sed -n 's/^stat::average_exec_per_sec: *//p' "$log" | tail -1)
    if [ "$code" != 0 ]; then
        status=1
        echo "FAIL $target (exit $code), input kept in $artifacts:"
        grep -E "ERROR|fuzzer: |runtime error|SUMMARY" "$log" | head -10
    fi
    summary+="$target: ${runs:-0} executions (${rate:-0}/s), exit $code"$'\n'
done
echo "== fuzzing summary"
printf '%s' "$summary"
exit "$status"
