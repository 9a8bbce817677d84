#!/usr/bin/env bash
# A terminal smaller than the window shows what size is needed instead of a cut window,
# and a resize redraws, both ways.
#   terminal-size.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1" 80 24 "Please make the terminal larger."
expect "The terminal is 80 by 24 characters; the window needs 87 by 34."
expect_not "DeviceTemplate"

tm resize-window -x 100 -y 34
wait_for "PCI-3916 device setting templates"
expect "[-]DeviceTemplate"
expect_not "Please make the terminal larger."

tm resize-window -x 86 -y 40
wait_for "the window needs 87 by 34."
keys C-c
wait_exit 0
expect_terminal_restored
finish
