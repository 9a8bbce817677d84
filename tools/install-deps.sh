#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need, when any is missing.
set -eu
packages=(cmake g++ make libgtest-dev libgmock-dev libbenchmark-dev libncurses-dev tmux
          binutils-mingw-w64-x86-64 mingw-w64-common
          valgrind clang libclang-rt-14-dev python3
          g++-mingw-w64-x86-64 g++-mingw-w64-i686 wine64 xvfb xauth imagemagick)
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
