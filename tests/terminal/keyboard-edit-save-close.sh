#!/usr/bin/env bash
# A user edits a template with the keyboard alone: expands the model node, selects a
# template, gives it a free switch ID, tries a taken one and dismisses the message, sets
# two radio buttons on the DI page, saves and closes.
#   keyboard-edit-save-close.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1"

expect "[-]DeviceTemplate"
expect "└[+]PCI-3916"
expect_not "Template0"
expect_dimmed "[ Save ]"

# Tab to the tree (past Add, Remove and Close: Save is disabled): its top item is selected
# as it gets the focus. Right moves into the open root, Right again opens the model node.
keys Tab Tab Tab
wait_for "Up/Down: select"
[[ ";$(attributes_of DeviceTemplate);" == *";7;"* ]] || fail "the focused tree's item is not in reverse video"
keys Right Right
wait_for "└── Template3"
expect "├── Template0"
expect "├── Template1"
keys Down
wait_for "Device Name"
expect_row "Device Name" "PCI-3916 +BoardID +0 +\[v\]"
expect "*64 Isolated Digital Input channel"
expect "*Interrupt handling capability"
expect_dimmed "[[ Save ]]"

# A free switch ID from the list: the choice is taken and Save is enabled.
keys Tab F4
wait_for "│15 "
keys Down Down Enter
wait_for_regex "BoardID +2 +\[v\]"
expect_not "│15 "
expect_not_dimmed "[[ Save ]]"

# Switch ID 3 belongs to Template1: the message, and the old choice comes back.
keys F4
wait_for "│15 "
keys Down Enter
wait_for "SwitchID already used!"
expect "PCI3916Cfg"
expect "[ OK ]"
keys Enter
wait_gone "SwitchID already used!"
expect_regex "BoardID +2 +\[v\]"

# The DI page shows the record: every group Rising and Enable.
keys C-PageDown
wait_for "Interrupt Trigger Edge Set"
expect "DataLatch Set"
expect_row "Rising" "\(\*\) +\(\*\) +\(\*\) +\(\*\)"
expect_row "Falling" "\( \) +\( \) +\( \) +\( \)"
expect_row "Enable" "\(\*\) +\(\*\) +\(\*\) +\(\*\)"

# Shift-Tab from the first stop wraps to the last group (Ch48's latch); Down moves within
# the pair and checks. Six more Shift-Tabs reach Ch16's trigger edge.
keys BTab Down
wait_for_regex "Disable +\( \) +\( \) +\( \) +\(\*\)"
keys BTab BTab BTab BTab BTab BTab Down
wait_for_regex "Falling +\( \) +\(\*\) +\( \) +\( \)"
expect_row "Rising" "\(\*\) +\( \) +\(\*\) +\(\*\)"
expect_row "Enable" "\(\*\) +\(\*\) +\(\*\) +\( \)"

# Enter presses the default button, Save, which disables itself; the focus goes to the
# first tab stop, Add.
keys Enter
wait_for "[[ Add ]]"
expect_dimmed "[ Save ]"

# On past Remove to Close (Save is disabled), and press it.
keys Tab Tab
wait_for "[[ Close ]]"
keys Enter
wait_exit 0
expect_file "$(dirname "$0")/edited.reg"
finish
