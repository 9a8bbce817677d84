#!/usr/bin/env bash
# Below the smallest size the window is not shown: the screen says the size needed and how
# to quit, and q, Esc and Ctrl-C each quit as closing does, the save prompt included.
#   too-small-quits.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
sample="$SAMPLE_TREE/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg"

# Gives Template0 the switch ID 2 (a change to save), then makes the terminal too small.
change_then_shrink() {
    start_devhost "$1"
    keys Tab Tab Tab Right Right Down
    wait_for "Device Name"
    keys Tab F4
    wait_for "│15 "
    keys Down Down Enter
    wait_for_regex "BoardID +2 +\[v\]"
    tm resize-window -x 30 -y 10
    wait_for "30 by 10"
    expect "40 by 12"
    expect "press q"
    expect_not "BoardID"
}

# q: the prompt, and OK saves.
change_then_shrink "$1"
keys q
wait_for "Note"
expect "[ OK ]"
keys Enter
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/switch-id-2.reg"

# Esc: the prompt, and Cancel leaves the file as it was.
restart_clean
change_then_shrink "$1"
keys Escape
wait_for "Note"
expect "[ Cancel ]"
keys Escape
wait_exit 0
expect_terminal_restored
expect_file "$sample"

# Ctrl-C: the prompt, and OK saves.
restart_clean
change_then_shrink "$1"
keys C-c
wait_for "Note"
keys Enter
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/switch-id-2.reg"

# Without a change q quits at once; other keys do nothing.
restart_clean
start_devhost "$1" 39 12 "39 by 12"
keys Tab Enter x
expect "39 by 12"
keys q
wait_exit 0
expect_terminal_restored
expect_file "$sample"
finish
