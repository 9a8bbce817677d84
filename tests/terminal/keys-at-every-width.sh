#!/usr/bin/env bash
# At every width from the smallest up, the key line is made of whole hints only, and it
# names Ctrl-PgDn/PgUp, which then does reach the DI page and back.
#   keys-at-every-width.sh DEVHOST SAMPLE_TREE
SAMPLE_TREE=$2
. "$(dirname "$0")/tmux-session.sh"
start_devhost "$1" 120 40
keys Tab Tab Tab Right Right Down
wait_for "Device Name"

# Every hint the front end has; the key line is some of them, two blanks apart, then
# perhaps an edge mark.
cat > "$WORK/hints" << 'HINTS'
Up/Down: select
Right/Left: open/close
Space/Enter: press
Arrows: choose
Enter: default button
Type: edit
F4: list
Up/Down: choose
Left/Right: page
Tab: next
Esc: close
Ctrl-PgDn/PgUp: page
Ctrl-C: quit
HINTS
key_line_is_whole() {
    screen | head -1 | python3 -c '
import sys
known = set(open(sys.argv[1]).read().split("\n")) - {""}
line = sys.stdin.read().rstrip("\n").rstrip(" \u25b2")
hints = line.strip().split("  ")
bad = [h for h in hints if h not in known]
if bad or not line.startswith(" "):
    print("not whole hints: %r" % line); sys.exit(1)' "$WORK/hints"
}

for width in 40 41 45 50 55 60 64 70 76 80 90 100 110 120; do
    tm resize-window -x "$width" -y 24
    wait_until test "$(tm display-message -p '#{window_width}')" = "$width"
    wait_until key_line_is_whole > /dev/null || fail "at $width columns: $(key_line_is_whole)"
    expect "Ctrl-PgDn/PgUp: page"
    keys C-PageDown
    wait_for "[DI]"
    keys C-PageUp
    wait_for "[Device]"
done
keys C-c
wait_exit 0
expect_terminal_restored
finish
