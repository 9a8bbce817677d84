#!/usr/bin/env bash
# Runs every end-to-end scenario once with devhost under valgrind's memcheck: any memory
# error or leak fails the scenario (the host then exits 99 instead of its own status).
#
#   tests/robustness/valgrind-e2e.sh BUILD_DIR
#
# BUILD_DIR is a build without sanitizers (valgrind and the address sanitizer exclude
# each other), for example build or build-robust.
set -u
cd "$(dirname "$0")/../.."
build=${1:?usage: valgrind-e2e.sh BUILD_DIR}
host="$build/bin/devhost"
[ -x "$host" ] || { echo "no devhost in $build"; exit 1; }
command -v valgrind > /dev/null || { echo "valgrind is not installed"; exit 1; }

export HOST_WRAPPER="valgrind --quiet --error-exitcode=99 --leak-check=full \
--show-leak-kinds=definite,indirect --errors-for-leak-kinds=definite,indirect \
--track-fds=no --num-callers=30"
passed=0
failed=0
for scenario in tests/e2e/scenarios/*/; do
    if tests/e2e/run-scenario "$host" "${scenario%/}" > "$build/valgrind-last.log" 2>&1; then
        passed=$((passed + 1))
    else
        failed=$((failed + 1))
        echo "FAIL under valgrind: $(basename "$scenario")"
        head -60 "$build/valgrind-last.log"
    fi
done
echo "valgrind: $passed scenarios clean, $failed failed"
[ "$failed" = 0 ]
