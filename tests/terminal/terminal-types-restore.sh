#!/usr/bin/env bash
# Whatever terminal type devhost runs under, the end gives the screen back: the window is
# gone and the shell's screen is as it was (a description without an alternate screen,
# such as vt100, included), and the line discipline is back in its normal modes.
#   terminal-types-restore.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
for type in vt100 vt220 xterm linux screen tmux-256color; do
    infocmp "$type" > /dev/null 2>&1 || continue
    INSIDE_TERM=$type start_devhost "$1" 90 36
    expect "[[ Add ]]"
    keys C-c
    wait_exit 0
    expect_terminal_restored
    expect_not "PCI-3916 device setting templates"
    expect_not "[[ Add ]]"
    expect "the shell before devhost"
    restart_clean
done
finish
