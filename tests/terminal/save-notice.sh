#!/usr/bin/env bash
# A successful Save says so in the status line for a few seconds ("Saved 14:02:07"); a
# Save that fails (the file was removed meanwhile) says nothing of the kind.
#   save-notice.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1" 80 24 "[[ Add ]]"
expect_not "Saved"

# Template0's Ch0 edge set to Falling on the DI page, then Enter presses Save.
keys Tab Tab Tab Right Right Down
wait_for "*64 Isolated Digital Input channel"
keys C-PageDown
wait_for "DataLatch Set"
keys Tab Down
wait_for_regex "Falling +\(\*\)"
expect_not_dimmed "[[ Save ]]"
keys Enter
wait_for_regex "^ Saved [0-9]{2}:[0-9]{2}:[0-9]{2}  File: /"
expect_dimmed "[ Save ]"
# The notice is gone after a while; the path has its room again.
wait_gone "Saved "
expect "File: /"

# A change (a click on Ch0's Rising), and the file removed before the Save: the error box,
# and no notice.
click_in_row "Rising" "( )"
wait_for_regex "Rising +\(\*\)"
rm -f "$REG"
keys Enter
wait_for "The templates were not saved"
expect_not "Saved "
keys Enter
wait_gone "The templates were not saved"
expect_not "Saved "
expect_not_dimmed "[[ Save ]]"
keys C-c
wait_for "save the change"
keys Tab Enter
wait_exit 0
expect_terminal_restored
finish
