# Helpers for the terminal tests: devhost runs in a tmux server of its own, the test sends
# keys or mouse presses and waits for the screen to show a state (never for a fixed time).
#
#   . tmux-session.sh; start_devhost HOST [COLUMNS ROWS]; ...; finish
#
# Every helper that waits fails the test with the screen printed when the state does not
# come within $WAIT_SECONDS (default 20).

set -u
WAIT_SECONDS=${WAIT_SECONDS:-20}
SOCKET="pci-term-$$-$RANDOM"
WORK=$(mktemp -d "${TMPDIR:-/tmp}/terminal-test.XXXXXX")
ROOT="$WORK/driver-tree/"
REG="${ROOT}Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg"
STATUS_FILE="$WORK/status"
TEST_NAME=$(basename "$0" .sh)

tm() { tmux -L "$SOCKET" "$@"; }

cleanup() {
    tm kill-server 2> /dev/null
    rm -rf "$WORK"
}
trap cleanup EXIT

fail() {
    echo "FAIL $TEST_NAME: $*"
    echo "--- screen:"
    tm capture-pane -p 2> /dev/null
    [ -s "$WORK/err" ] && { echo "--- standard error of the host:"; cat "$WORK/err"; }
    exit 1
}

# start_devhost HOST [COLUMNS ROWS [FIRST_TEXT]]: on a fresh copy of the sample tree,
# waiting until the screen shows FIRST_TEXT (the template window's caption). The pane's
# shell records the host's exit status and the terminal's modes, and then stays, so that
# the screen can still be read. With INSIDE_TERM set, devhost runs with that TERM, after
# the shell has written "the shell before devhost".
start_devhost() {
    local host=$1 columns=${2:-120} rows=${3:-40} first=${4:-PCI-3916 device setting templates}
    cp -r "$SAMPLE_TREE" "$WORK/driver-tree"
    local term_line=""
    # Under the leak checker, a run with another terminal type leaves out leak detection:
    # the terminal library keeps a 10-byte allocation of its own for one of those terminal
    # descriptions until exit (seen in the sanitizer build), which is not this program's.
    [ -n "${INSIDE_TERM:-}" ] &&
        term_line="export TERM=$INSIDE_TERM ASAN_OPTIONS=\${ASAN_OPTIONS:+\$ASAN_OPTIONS:}detect_leaks=0; echo 'the shell before devhost'"
    cat > "$WORK/run" << RUN
#!/bin/sh
$term_line
"$host" --root "$ROOT" 2> "$WORK/err"
status=\$?
stty -a > "$WORK/stty" 2>&1
echo \$status > "$STATUS_FILE"
exec sleep 600
RUN
    chmod +x "$WORK/run"
    # The terminal that tmux emulates, whatever the user's tmux configuration says.
    echo "set -g default-terminal tmux-256color" > "$WORK/tmux.conf"
    tm -f "$WORK/tmux.conf" new-session -d -x "$columns" -y "$rows" \
        -e LANG=C.UTF-8 -e LC_ALL=C.UTF-8 "$WORK/run" ||
        fail "cannot start tmux"
    wait_for "$first"
}

# restart_clean: ends devhost's tmux server and forgets its tree, so that the test can start
# another devhost.
restart_clean() {
    tm kill-server 2> /dev/null
    rm -rf "$WORK/driver-tree" "$STATUS_FILE" "$WORK/err" "$WORK/stty"
}

screen() { tm capture-pane -p; }
screen_with_attributes() { tm capture-pane -p -e; }

# wait_until COMMAND...: polls until the command succeeds.
wait_until() {
    local deadline=$((SECONDS + WAIT_SECONDS))
    until "$@"; do
        [ "$SECONDS" -lt "$deadline" ] || return 1
        sleep 0.05
    done
}

shows() { screen | grep -qF -- "$1"; }
shows_regex() { screen | grep -qE -- "$1"; }
not_shows() { ! shows "$1"; }
wait_for() { wait_until shows "$1" || fail "the screen never showed \"$1\""; }
wait_for_regex() { wait_until shows_regex "$1" || fail "the screen never matched /$1/"; }
wait_gone() { wait_until not_shows "$1" || fail "the screen still shows \"$1\""; }
# A positive check waits for the screen to settle: the terminal redraws a change in more
# than one write, and a capture can fall between them. A negative check looks once.
expect() { wait_until shows "$1" || fail "the screen does not show \"$1\""; }
expect_not() { ! shows "$1" || fail "the screen shows \"$1\""; }
expect_regex() { wait_until shows_regex "$1" || fail "the screen does not match /$1/"; }

keys() { tm send-keys "$@"; }

# The attributes (SGR parameters) that the text starts with on the screen, "" for none.
attributes_of() {
    screen_with_attributes | grep -oaP "\x1b\[[0-9;]*m(?=\Q$1\E)" | head -1 | tr -dc '0-9;'
}
is_dimmed() { [[ ";$(attributes_of "$1");" == *";2;"* ]]; }
not_dimmed() { ! is_dimmed "$1"; }
expect_dimmed() { wait_until is_dimmed "$1" || fail "\"$1\" is not dimmed"; }
expect_not_dimmed() { wait_until not_dimmed "$1" || fail "\"$1\" is dimmed"; }

# The cell (column row, from 0) where the text first appears, after `skip` matches.
cell_of() {
    screen | python3 -c '
import sys
text, skip = sys.argv[1], int(sys.argv[2])
for row, line in enumerate(sys.stdin.read().split("\n")):
    at = line.find(text)
    while at >= 0:
        if skip == 0:
            print(at, row); sys.exit(0)
        skip -= 1
        at = line.find(text, at + 1)
sys.exit(1)' "$1" "${2:-0}"
}

# click_at COLUMN ROW: a press and release of the first mouse button, as the terminal
# reports them (the X10 encoding that the terminal description names).
click_at() {
    local x y
    x=$(printf '%x' $((33 + $1)))
    y=$(printf '%x' $((33 + $2)))
    tm send-keys -H 1b 5b 4d 20 "$x" "$y" 1b 5b 4d 23 "$x" "$y"
}
# click_text TEXT [OFFSET [SKIP]]: a press on the cell OFFSET characters into the text.
click_text() {
    local cell
    cell=$(cell_of "$1" "${3:-0}") || fail "no \"$1\" on the screen to click"
    set -- $cell "${2:-0}"
    click_at $(($1 + $3)) "$2"
}

# click_in_row LABEL TEXT [SKIP]: a press on the first character of the SKIP-th TEXT in the
# row that holds LABEL.
click_in_row() {
    local cell
    cell=$(screen | python3 -c '
import sys
label, text, skip = sys.argv[1], sys.argv[2], int(sys.argv[3])
for row, line in enumerate(sys.stdin.read().split("\n")):
    if label not in line:
        continue
    at = line.find(text)
    for _ in range(skip):
        at = line.find(text, at + 1) if at >= 0 else -1
    if at >= 0:
        print(at, row); sys.exit(0)
    break
sys.exit(1)' "$1" "$2" "${3:-0}") || fail "no \"$2\" in the row of \"$1\" to click"
    click_at $cell
}

# The terminal is as the shell left it before devhost: out of the alternate screen, and
# the line discipline back in its normal modes.
expect_terminal_restored() {
    [ "$(tm display-message -p '#{alternate_on}')" = 0 ] || fail "the alternate screen is still on"
    grep -qE '(^| )icanon( |$)' "$WORK/stty" && grep -qE '(^| )echo( |$)' "$WORK/stty" ||
        fail "the terminal modes were not restored: $(cat "$WORK/stty")"
}

# The screen row that holds the text, for checks on one row.
row_with() { screen | grep -F -- "$1" | head -1; }
row_matches() { row_with "$1" | grep -qE -- "$2"; }
expect_row() {
    wait_until row_matches "$1" "$2" ||
        fail "the row of \"$1\" does not match /$2/: $(row_with "$1")"
}

wait_exit() {
    wait_until test -s "$STATUS_FILE" || fail "devhost did not end"
    local status
    status=$(cat "$STATUS_FILE")
    [ "$status" = "${1:-0}" ] || fail "devhost ended with status $status, expected ${1:-0}"
}

expect_file() {
    cmp -s "$REG" "$1" || {
        diff <(od -c "$1") <(od -c "$REG") | head -20
        fail "the driver file differs from $(basename "$1")"
    }
}

finish() { echo "ok $TEST_NAME"; }
