#!/usr/bin/env bash
# Builds the library, the host and pci3916cfg (all in build-run/bin/), then opens the
# configuration window in this terminal on a copy of the bundled sample driver tree. Extra
# arguments go to devhost. Needs only what running needs (tools/install-deps.sh --run);
# the tests are not built.
set -eu
cd "$(dirname "$0")"
bash tools/install-deps.sh --run
cmake -S . -B build-run -DCMAKE_BUILD_TYPE=RelWithDebInfo -DPCI_BUILD_TESTS=OFF \
    -DPCI_BUILD_BENCH=OFF > /dev/null
cmake --build build-run -j"$(nproc)" --target devhost PCI3916Cfg pci3916cfg
exec build-run/bin/devhost "$@"
