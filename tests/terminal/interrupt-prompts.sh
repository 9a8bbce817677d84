#!/usr/bin/env bash
# Ctrl-C after a change shuts the host down as closing it does: the window's save prompt
# appears in the terminal, and OK saves before the host ends and gives the terminal back.
#   interrupt-prompts.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1"

keys Tab Tab Tab Right Right Down
wait_for "Device Name"
keys Tab F4
wait_for "│15 "
keys Down Down Enter
wait_for_regex "BoardID +2 +\[v\]"

keys C-c
wait_for "The configuration of PCI3916 is change, save the change"
expect "Note"
expect "[ OK ]"
expect "[ Cancel ]"
keys Enter
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/switch-id-2.reg"
finish
