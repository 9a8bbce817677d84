#!/usr/bin/env bash
# Escape is Cancel: the window hides at once, without a prompt, even with changes. The host
# then ends and destroys the window, whose own prompt is shown over the empty backdrop;
# Cancel there saves nothing.
#   escape-then-destroy-prompt.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1"

keys Tab Tab Tab Right Right Down
wait_for "Device Name"
keys C-PageDown
wait_for "Interrupt Trigger Edge Set"
# From the tree, Tab reaches Ch0's trigger edge pair; Down checks Falling.
keys Tab Down
wait_for_regex "Falling +\(\*\) +\( \) +\( \) +\( \)"

keys Escape
wait_for "The configuration of PCI3916 is change, save the change"
expect_not "PCI-3916 device setting templates"
expect_not "Interrupt Trigger Edge Set"
keys Tab
wait_for "[ Cancel ]"
keys Enter
wait_exit 0
expect_terminal_restored
cmp -s "$REG" "$SAMPLE_TREE/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg" ||
    fail "the driver file changed although the prompt was cancelled"
finish
