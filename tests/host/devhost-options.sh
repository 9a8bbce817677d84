#!/usr/bin/env bash
# devhost's command line: --help and the man page name every control of the library's
# dialogs, and a root that names no existing folder ends the host with status 2.
#   devhost-options.sh DEVHOST SOURCE_DIR
set -u
devhost=$1
source_dir=$2
work=$(mktemp -d "${TMPDIR:-/tmp}/devhost-options.XXXXXX")
trap 'rm -rf "$work"' EXIT
failed=0
fail() { echo "FAIL: $*"; failed=1; }

"$devhost" --help > "$work/help" 2>&1 || fail "--help exited $?"
ids=$(sed -n 's/^#define IDC_[A-Z0-9_]* \([0-9][0-9]*\)$/\1/p' "$source_dir/dialogs/resource.h")
[ "$(echo $ids | wc -w)" -ge 27 ] || fail "too few ids read from resource.h: $ids"
for id in $ids; do
    grep -qE "^  $id +[A-Za-z]" "$work/help" || fail "--help does not list control $id"
    grep -qwF "$id" "$source_dir/docs/devhost.1" || fail "devhost.1 does not name control $id"
done
grep -qF "BoardID combo box" "$work/help" || fail "--help does not name the BoardID combo box"

# A root is the head of the driver file's path: the folder it names or lies in must exist.
printf 'click 1007\n' > "$work/script"
status=0
"$devhost" --root /nonexistent/ --script "$work/script" > "$work/out" 2> "$work/err" || status=$?
[ "$status" = 2 ] || fail "a missing root folder exited $status, not 2"
grep -qF "/nonexistent/" "$work/err" || fail "the message does not name the root: $(cat "$work/err")"
[ -s "$work/out" ] && fail "a refused root still opened the window: $(cat "$work/out")"

status=0
"$devhost" --root "$work/missing/rootX" --script "$work/script" > /dev/null 2> "$work/err" ||
    status=$?
[ "$status" = 2 ] || fail "a root in a missing folder exited $status, not 2"

mkdir -p "$work/tree"
status=0
"$devhost" --root "$work/treeX" --script "$work/script" > "$work/out" 2> "$work/err" || status=$?
[ "$status" = 0 ] || fail "a root without separator in an existing folder exited $status: $(cat "$work/err")"

[ "$failed" = 0 ] && echo "ok devhost-options"
exit "$failed"
