#!/usr/bin/env bash
# devhost ends with status 2 and says why and what to do when the terminal cannot show the
# window (TERM=dumb, an unknown terminal) and when HOME or XDG_DATA_HOME does not exist,
# which it does not create; --root needs neither.
#   term-and-home-failures.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"

# in_terminal TERM: devhost in a tmux pane with TERM set, its status and standard error kept.
in_terminal() {
    restart_clean
    cp -r "$SAMPLE_TREE" "$WORK/driver-tree"
    printf '#!/bin/sh\nTERM=%s "%s" --root "%s" 2> "%s"\necho $? > "%s"\nexec sleep 600\n' \
        "$1" "$DEVHOST" "$ROOT" "$WORK/err" "$STATUS_FILE" > "$WORK/run"
    chmod +x "$WORK/run"
    tm new-session -d -x 80 -y 24 "$WORK/run" || fail "cannot start tmux"
    wait_exit 2
    grep -qF -- "--script" "$WORK/err" || fail "TERM=$1: the message names no --script"
    grep -qF "another terminal" "$WORK/err" || grep -qF "a terminal that can show" "$WORK/err" ||
        fail "TERM=$1: the message does not say to use another terminal"
}
DEVHOST=$1
in_terminal dumb
grep -qF 'the terminal "dumb" cannot move the cursor' "$WORK/err" || fail "no reason for dumb"
in_terminal no-such-terminal
grep -qF '"no-such-terminal" is unknown' "$WORK/err" || fail "no reason for an unknown terminal"
expect_file "$SAMPLE_TREE/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg"

# A missing HOME, and a missing XDG_DATA_HOME, are neither created nor used.
status=0
env -u XDG_DATA_HOME HOME="$WORK/no-home" "$DEVHOST" --script /dev/null > "$WORK/out" 2> "$WORK/err" ||
    status=$?
[ "$status" = 2 ] || fail "missing HOME: status $status, expected 2"
grep -qF "HOME is $WORK/no-home, which is not an existing folder" "$WORK/err" ||
    fail "missing HOME: $(cat "$WORK/err")"
[ ! -e "$WORK/no-home" ] || fail "the missing HOME was created"
status=0
XDG_DATA_HOME="$WORK/no-data" HOME="$WORK" "$DEVHOST" --script /dev/null 2> "$WORK/err" || status=$?
[ "$status" = 2 ] || fail "missing XDG_DATA_HOME: status $status, expected 2"
grep -qF "XDG_DATA_HOME is $WORK/no-data" "$WORK/err" || fail "missing XDG_DATA_HOME: $(cat "$WORK/err")"
[ ! -e "$WORK/no-data" ] || fail "the missing XDG_DATA_HOME was created"
[ ! -e "$WORK/.local" ] || fail "HOME was used instead"

# With --root the per-user folder is not needed.
status=0
env -u XDG_DATA_HOME HOME="$WORK/no-home" "$DEVHOST" --root "$ROOT" --script /dev/null \
    2> "$WORK/err" || status=$?
[ "$status" = 0 ] || fail "--root with a missing HOME: status $status: $(cat "$WORK/err")"
finish
