#!/usr/bin/env bash
# A message box open while the terminal takes any size, the sizes below the smallest one
# included, leaves nothing stray: below that size the screen shows the box alone or, where
# the box does not fit whole, the request for a larger terminal alone; from it up, the
# box lies between a whole key line and a whole status line. The box is answered as
# before once the terminal is large again.
#   resize-box-any-size.sh DEVHOST SAMPLE_TREE
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

# What the screen holds: "box" (the box alone, nothing outside its frame or inside it but
# its caption, text and button), "request" (the size request alone), "window" (the box
# whole, with whole key and status lines) or what is wrong.
cat > "$WORK/classify.py" << 'CLASSIFY'
import sys
rows = sys.stdin.read().split("\n")
text = "\n".join(rows)
marks = [(y, x) for y, row in enumerate(rows) for x, c in enumerate(row) if c != " "]
words = " ".join(text.split())
width, height = int(sys.argv[1]), int(sys.argv[2])
full = ("The terminal is %d by %d characters; the window needs 40 by 12. Make it larger, or "
        "press q or Esc to quit (Ctrl-C also quits)." % (width, height))
# The request as far as the screen holds it (a tiny one cuts it), and nothing else.
bare = "".join(text.split())
if bare and "".join(full.split()).startswith(bare):
    print("request"); sys.exit()
# The text may wrap inside the box.
if "SwitchID already used!" not in " ".join(words.replace("│", " ").split()) or "[ OK ]" not in text:
    print("no box"); sys.exit()
if rows[0].startswith(" Enter: answer") and any(r.startswith(" File: ") for r in rows):
    top = next(y for y, r in enumerate(rows) if "PCI3916Cfg" in r)
    print("window" if top >= 1 else "box over the key line"); sys.exit()
top = min(y for y, _ in marks); bottom = max(y for y, _ in marks)
left = min(x for _, x in marks); right = max(x for _, x in marks)
inside = []
for y in range(top + 1, bottom + 1):
    row = rows[y].ljust(right + 1)
    if y == bottom:
        ok = row[left] == "└" and row[right] == "┘" and set(row[left+1:right]) == {"─"}
    else:
        ok = row[left] == "│" and row[right] == "│"
        inside.append(row[left+1:right])
    if not ok:
        print("stray at row %d: %r" % (y, rows[y])); sys.exit()
rest = " ".join(" ".join(inside).replace("[ OK ]", "").split())
caption = rows[top][left:right+1].strip()
print("box" if rest == "SwitchID already used!" and caption == "PCI3916Cfg"
      else "stray in the box: %r %r" % (caption, rest))
CLASSIFY
classify() {
    screen | python3 "$WORK/classify.py" "$(tm display-message -p '#{window_width}')" \
        "$(tm display-message -p '#{window_height}')"
}
expect_screen() { # WHAT...: the screen settles to one of them
    local what
    for _ in $(seq 1 100); do
        what=$(classify)
        for want in "$@"; do [ "$what" = "$want" ] && return 0; done
        sleep 0.05
    done
    fail "at $(tm display-message -p '#{window_width}x#{window_height}') the screen is \"$what\", not $*"
}

for size in 30x10 39x11 26x8 27x7 20x6 12x4 3x2 39x12 40x11 40x12 41x13 50x14 60x20 80x24 100x30; do
    tm resize-window -x "${size%x*}" -y "${size#*x}"
    case $size in
        30x10 | 39x11 | 26x8 | 40x11 | 39x12) expect_screen box ;;
        20x6 | 12x4 | 3x2) expect_screen request ;;
        27x7) expect_screen box request ;;
        *) expect_screen window ;;
    esac
done
# Below the smallest size with only the request shown, Enter answers no box it hides.
tm resize-window -x 20 -y 6
expect_screen request
keys Enter
sleep 0.3
tm resize-window -x 120 -y 40
wait_for "PCI-3916 device setting templates"
expect "SwitchID already used!"
keys Enter
wait_gone "SwitchID already used!"
expect_regex "BoardID +2 +\[v\]"
keys C-c
wait_for "save the change"
keys Tab Enter
wait_exit 0
expect_terminal_restored
finish
