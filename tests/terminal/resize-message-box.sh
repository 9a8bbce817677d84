#!/usr/bin/env bash
# A message box stays in view while the terminal shrinks from 120 by 40 to 80 by 24 and
# grows back, and is answered as before.
#   resize-message-box.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1" 120 40
keys Tab Tab Tab Right Right Down
wait_for "Device Name"
keys Tab F4
wait_for "│15 "
keys Down Down Enter
wait_for_regex "BoardID +2 +\[v\]"
keys F4
wait_for "│15 "
keys Down Enter
wait_for "SwitchID already used!"

tm resize-window -x 80 -y 24
wait_for "▶"
expect "SwitchID already used!"
expect "[ OK ]"
expect "Enter: answer"
tm resize-window -x 120 -y 40
wait_for "PCI-3916 device setting templates"
expect "SwitchID already used!"
expect_not "▶"

keys Enter
wait_gone "SwitchID already used!"
expect_regex "BoardID +2 +\[v\]"
keys C-c
wait_for "save the change"
keys Enter
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/switch-id-2.reg"
finish
