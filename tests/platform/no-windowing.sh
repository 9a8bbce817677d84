#!/usr/bin/env bash
# A program that must not carry the windowing layer: neither it nor any library it loads
# defines a symbol of namespace ui.
#   no-windowing.sh PROGRAM
set -u
program=${1:?usage: no-windowing.sh PROGRAM}
[ -x "$program" ] || { echo "FAIL: no $program"; exit 1; }
libraries=$(ldd "$program" | sed -n 's/.*=> \(\/[^ ]*\) .*/\1/p')
[ -n "$libraries" ] || { echo "FAIL: ldd found no library of $program"; exit 1; }
failed=0
check() {
    local found
    found=$(nm -C "$@" 2> /dev/null | grep -E ' [A-Za-z] ui::' | grep -vE ' [Uuvw] ' | head -3)
    if [ -n "$found" ]; then
        echo "FAIL: ${!#} defines windowing symbols, such as:"
        echo "$found"
        failed=1
    fi
}
# The program's own symbols, the static ones too; of each library those it exports.
check --defined-only "$program"
for library in $libraries; do
    check -D --defined-only "$library"
done
echo "$(basename "$program") and its libraries:" $(basename -a $libraries)
exit $failed
