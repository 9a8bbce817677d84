#!/usr/bin/env bash
# The robustness steps that the test suite itself does not run: the end-to-end scenarios
# under valgrind, and each fuzz target for a bounded time (clang, build-fuzz/). The fault
# injection, bad-input, crash-safety and concurrency tests are part of the suite (ctest,
# label robustness) and run in both its builds.
#
#   tests/robustness/run.sh [BUILD_DIR [FUZZ_SECONDS]]
#
# BUILD_DIR: a build without sanitizers holding devhost (default build-robust, configured
# and built when missing). FUZZ_SECONDS: time per fuzz target (default 60; 0 skips).
set -u
cd "$(dirname "$0")/../.."
build=${1:-build-robust}
seconds=${2:-60}
status=0

if [ ! -x "$build/bin/devhost" ]; then
    cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPCI_BUILD_BENCH=OFF \
            -DPCI_WERROR="${PCI_WERROR:-OFF}" > /dev/null &&
        cmake --build "$build" -j"$(nproc)" --target devhost > /dev/null || exit 1
fi

echo "== End-to-end scenarios under valgrind"
bash tests/robustness/valgrind-e2e.sh "$build" || status=1

if [ "$seconds" != 0 ]; then
    echo "== Fuzzing, ${seconds}s per target"
    bash fuzz/run.sh "$seconds" || status=1
fi
exit "$status"
