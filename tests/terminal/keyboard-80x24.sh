#!/usr/bin/env bash
# In an 80 by 24 terminal, smaller than the window, the view follows the focus: a user
# edits a template with the keyboard alone, saves and closes, and the file is exactly as
# in the larger terminal.
#   keyboard-80x24.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1" 80 24 "[[ Add ]]"
expect "File: /"
expect "PCI3916.reg"
expect "Space/Enter: press"
# Before any key: the tree with its nodes, the tab header and the four buttons are all on
# the screen (the empty rows of the frames give way); only the right edge lies beyond.
expect "[-]DeviceTemplate"
expect "[+]PCI-3916"
expect_regex "\[Device\]─ DI ─"
expect_regex "\[\[ Add \]\] +\[ Remove \] +\[ Save \] +\[ Close \]"
expect "PCI-3916 device setting templates"
expect "▶"
expect_not "▲"
expect_not "▼"
# The key to the other page is named at this width too.
expect "Ctrl-PgDn/PgUp: page"

# The tree gets the focus: its top item is selected, and the view shows it.
keys Tab Tab Tab
wait_for "[-]DeviceTemplate"
expect "Up/Down: select"
[[ ";$(attributes_of DeviceTemplate);" == *";7;"* ]] || fail "the selected item is not in reverse video"
keys Right Right
wait_for "└── Template3"
# Template0's fields lie below the view until the focus goes to them.
keys Down
wait_for "*64 Isolated Digital Input channel"
keys Tab
wait_for "Device Name"
expect "Type: edit"
keys F4
wait_for "│15 "
expect "Enter: choose"
keys Down Down Enter
wait_for_regex "BoardID +2 +\[v\]"

# Switch ID 3 is taken: the message box is shown in the view.
keys F4
wait_for "│15 "
keys Down Enter
wait_for "SwitchID already used!"
expect "Enter: answer"
keys Enter
wait_gone "SwitchID already used!"

# The DI page; its upper group comes into view as the focus reaches it.
keys C-PageDown
wait_for "DataLatch Set"
keys BTab Down
wait_for_regex "Disable +\( \) +\( \) +\( \) +\(\*\)"
expect "Arrows: choose"
keys BTab BTab BTab BTab BTab BTab Down
wait_for_regex "Falling +\( \) +\(\*\) +\( \) +\( \)"
expect_row "Rising" "\(\*\) +\( \) +\(\*\) +\(\*\)"

# Enter presses Save; the view goes back down to the buttons with the focus.
keys Enter
wait_for "[[ Add ]]"
keys Tab Tab
wait_for "[[ Close ]]"
keys Enter
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/edited.reg"
finish
