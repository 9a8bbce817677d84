#!/usr/bin/env bash
# A fatal signal ends the host as it would have (killed by the signal), after giving the
# terminal back: out of the alternate screen, in its normal modes (vt100 included).
#   fatal-signal.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
kill_host() {
    local shell host
    shell=$(tm display-message -p '#{pane_pid}')
    host=$(ps -o pid= --ppid "$shell" | tr -d ' ')
    [ -n "$host" ] || fail "no devhost process below the pane's shell"
    kill -SEGV "$host"
    wait_exit $((128 + 11))
    expect_terminal_restored
}

start_devhost "$1"
kill_host

# A terminal description without an alternate screen: the screen is cleared and left too.
restart_clean
INSIDE_TERM=vt100 start_devhost "$1"
kill_host
expect_not "PCI-3916 device setting templates"
expect "the shell before devhost"
finish
