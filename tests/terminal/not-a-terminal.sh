#!/usr/bin/env bash
# Without a script and without a terminal devhost says why it cannot show the window.
#   not-a-terminal.sh DEVHOST SAMPLE_TREE
set -u
work=$(mktemp -d "${TMPDIR:-/tmp}/terminal-test.XXXXXX")
trap 'rm -rf "$work"' EXIT
cp -r "$2" "$work/driver-tree"
status=0
"$1" --root "$work/driver-tree/" < /dev/null > "$work/out" 2> "$work/err" || status=$?
fail() { echo "FAIL not-a-terminal: $*"; cat "$work/err"; exit 1; }
[ "$status" = 2 ] || fail "status $status, expected 2"
grep -qF "devhost: no terminal to show the window in" "$work/err" || fail "no message"
[ ! -s "$work/out" ] || fail "standard output is not empty"
echo "ok not-a-terminal"
