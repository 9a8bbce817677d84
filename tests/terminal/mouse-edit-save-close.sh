#!/usr/bin/env bash
# The same edit as with the keyboard, with the mouse alone: the tree's button and items,
# the combo box's arrow and list, the message box's button, the tab, radio buttons, Save
# and Close.
#   mouse-edit-save-close.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1"

click_text "[+]PCI-3916" 1
wait_for "└── Template3"
click_text "Template0"
wait_for "Device Name"
expect_regex "BoardID +0 +\[v\]"

click_text "[v]" 1
wait_for "│15 "
click_in_row "│2 " "2"
wait_for_regex "BoardID +2 +\[v\]"
expect_not "│15 "
expect_not_dimmed "[[ Save ]]"

click_text "[v]" 1
wait_for "│15 "
click_in_row "│3 " "3"
wait_for "SwitchID already used!"
click_text "[ OK ]" 2
wait_gone "SwitchID already used!"
expect_regex "BoardID +2 +\[v\]"

# A press outside an open list only closes it.
click_text "[v]" 1
wait_for "│15 "
click_text "Device Name"
wait_gone "│15 "
expect_regex "BoardID +2 +\[v\]"

click_text " DI " 1
wait_for "Interrupt Trigger Edge Set"
click_in_row "Falling" "( )" 1
wait_for_regex "Falling +\( \) +\(\*\) +\( \) +\( \)"
click_in_row "Disable" "( )" 3
wait_for_regex "Disable +\( \) +\( \) +\( \) +\(\*\)"
expect_row "Rising" "\(\*\) +\( \) +\(\*\) +\(\*\)"
expect_row "Enable" "\(\*\) +\(\*\) +\(\*\) +\( \)"

click_text "Save ]" 1
expect_dimmed "[ Save ]"
click_text "Close" 1
wait_exit 0
expect_terminal_restored
expect_file "$(dirname "$0")/edited.reg"
finish
