#!/usr/bin/env bash
# The configuration library and the windowing library need nothing at run time but the C
# and C++ runtimes and each other (the sanitizers' runtimes in a sanitized build): no
# ncurses, which only the host's terminal front end uses.
#   needed-libraries.sh [--sanitized] LIBRARY...
set -u
allowed='^(libc|libm|libstdc\+\+|libgcc_s|libdl|libpthread|librt|ld-linux[-a-z0-9_]*)\.so'
if [ "${1:-}" = --sanitized ]; then
    allowed="${allowed%)*}|libasan|libubsan)\\.so"
    shift
fi
own=()
for library in "$@"; do own+=("$(basename "$library")"); done
failed=0
for library in "$@"; do
    [ -f "$library" ] || { echo "FAIL: no $library"; exit 1; }
    needed=$(readelf -d "$library" | sed -n 's/.*(NEEDED).*\[\(.*\)\]/\1/p')
    [ -n "$needed" ] || { echo "FAIL: readelf found no NEEDED entry in $library"; exit 1; }
    for entry in $needed; do
        if [[ " ${own[*]} " == *" $entry "* ]] || [[ "$entry" =~ $allowed ]]; then
            continue
        fi
        echo "FAIL: $(basename "$library") needs $entry"
        failed=1
    done
    echo "$(basename "$library"): $(echo $needed)"
done
exit $failed
