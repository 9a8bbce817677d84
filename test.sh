#!/usr/bin/env bash
# Builds everything and runs every test: the Linux suite, the same suite under the
# address and undefined-behaviour sanitizers, and the Windows library under Wine.
# Warnings are errors in every build it configures (PCI_WERROR, passed on to the scripts
# it runs through the environment).
set -eu
cd "$(dirname "$0")"
bash tools/install-deps.sh
jobs=$(nproc)
export PCI_WERROR=ON
status=0
# Each step says how long it took, so that the README's figures can be kept true.
step_start=$SECONDS
step_name=
step() {
    [ -n "$step_name" ] && echo "== $step_name: $((SECONDS - step_start)) s"
    step_name=$1
    step_start=$SECONDS
    [ -n "$step_name" ] && echo "== $step_name"
    return 0
}

step "Linux build and tests"
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPCI_WERROR=ON -DPCI_BUILD_TESTS=ON \
    -DPCI_BUILD_BENCH=ON > /dev/null
cmake --build build -j"$jobs"
ctest --test-dir build --output-on-failure -j"$jobs" || status=1

step "Sanitizer build (address, undefined behaviour, leaks) and tests"
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DPCI_SANITIZE=ON -DPCI_BUILD_BENCH=OFF \
    -DPCI_WERROR=ON > /dev/null
cmake --build build-asan -j"$jobs"
ASAN_OPTIONS=detect_leaks=1 ctest --test-dir build-asan --output-on-failure -j"$jobs" || status=1

step "Benchmarks, once on the smallest files (a smoke check, no timing judged)"
PCI_BENCH_BUILD_DIR=build bench/run --smoke || status=1

# Robustness steps outside the suite (tests/robustness/run.sh; see docs/robustness.md).
step "Robustness: end-to-end scenarios under valgrind, fuzzing (60 s per target)"
bash tests/robustness/run.sh build 60 || status=1

if [ -f .ci/windows.sh ]; then
    step "Windows library under Wine"
    bash .ci/windows.sh || status=1
fi

# The Linux host's saved files, imported by Wine's regedit (tests/importer/run; no display).
step "Importer: what a registry imports from the driver file before and after each edit"
python3 tests/importer/run build || status=1

step ""
[ "$status" = 0 ] && echo "ALL TESTS PASSED" || echo "SOME TESTS FAILED"
exit "$status"
