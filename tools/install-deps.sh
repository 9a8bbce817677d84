#!/usr/bin/env bash
# Installs the Debian packages that are missing, as root; otherwise names them and fails.
#
#   tools/install-deps.sh          everything the build and every test need (test.sh, CI)
#   tools/install-deps.sh --run    only what building and running devhost needs (run.sh)
set -eu

# Building the library (its dialogs are compiled by windres over the Windows headers),
# devhost and pci3916cfg (JSON through nlohmann-json's headers), and running devhost in a
# terminal.
run_packages=(cmake g++ make libncurses-dev libxxhash-dev nlohmann-json3-dev binutils-mingw-w64-x86-64
              mingw-w64-common)
# The tests on top: the suites, benchmarks, sanitizers and fuzzing (clang), valgrind, the
# terminal sessions (tmux), the packages (dpkg-dev, and lintian to check the Debian
# package), the template document's JSON Schema (python3-jsonschema), the Windows builds
# under Wine (with googletest, the sources of GoogleTest that they compile).
test_packages=("${run_packages[@]}" libgtest-dev libgmock-dev libbenchmark-dev tmux
               valgrind clang libclang-rt-14-dev python3 python3-jsonschema dpkg-dev lintian
               g++-mingw-w64-x86-64 g++-mingw-w64-i686 googletest wine64 xvfb xauth imagemagick
               unzip)

case "${1:-}" in
    --run) packages=("${run_packages[@]}") ;;
    "") packages=("${test_packages[@]}") ;;
    *) echo "usage: tools/install-deps.sh [--run]" >&2; exit 2 ;;
esac

if ! command -v dpkg-query > /dev/null; then
    echo "not a Debian system: make sure these (or their equivalents) are installed:" \
         "${packages[*]}" >&2
    exit 0
fi
missing=()
for p in "${packages[@]}"; do
    dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
[ ${#missing[@]} -eq 0 ] && exit 0
if [ "$(id -u)" != 0 ]; then
    echo "missing packages: ${missing[*]}; install them with: sudo apt-get install ${missing[*]}" >&2
    exit 1
fi
echo "installing: ${missing[*]}"
export DEBIAN_FRONTEND=noninteractive
apt-get update -q > /dev/null
apt-get install -y -q "${missing[@]}" > /dev/null
