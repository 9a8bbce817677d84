#!/usr/bin/env bash
# A fatal signal ends the host as it would have (killed by the signal), after giving the
# terminal back: out of the alternate screen, in its normal modes.
#   fatal-signal.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1"

shell=$(tm display-message -p '#{pane_pid}')
host=$(ps -o pid= --ppid "$shell" | tr -d ' ')
[ -n "$host" ] || fail "no devhost process below the pane's shell"
kill -SEGV "$host"
wait_exit $((128 + 11))
expect_terminal_restored
finish
