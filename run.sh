#!/usr/bin/env bash
# Builds the library and the host, then opens the configuration window in this terminal
# on a copy of the bundled sample driver tree. Extra arguments go to devhost.
set -eu
cd "$(dirname "$0")"
bash tools/install-deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo > /dev/null
cmake --build build -j"$(nproc)" --target devhost PCI3916Cfg
exec build/bin/devhost "$@"
