#!/usr/bin/env bash
# The Windows side of CI: installs the cross toolchains and Wine when they are missing,
# builds PCI3916Cfg.dll for 64-bit and 32-bit Windows and devhost.exe, checks the DLLs'
# export and import tables, and runs the layers' GoogleTest suites (tests/platform, built
# with GoogleTest from the googletest package's sources) and every end-to-end scenario
# under Wine in Xvfb (64-bit only: this machine runs no 32-bit programs), and makes and
# checks the zip for Windows users (both DLLs, devhost.exe and pci3916cfg.exe, a README),
# whose pci3916cfg.exe then runs under Wine. Prints a summary and exits non-zero on any
# failure.
set -u
cd "$(dirname "$0")/.."
repo=$(pwd)

# nlohmann-json3-dev: pci3916cfg.exe's JSON, whose headers the cross builds copy;
# googletest: the sources of GoogleTest, which the cross builds compile for the layers' tests.
packages=(g++-mingw-w64-x86-64 g++-mingw-w64-i686 nlohmann-json3-dev googletest wine64 xvfb xauth
          unzip)
missing=()
for package in "${packages[@]}"; do
    dpkg -s "$package" > /dev/null 2>&1 || missing+=("$package")
done
if [ ${#missing[@]} -gt 0 ]; then
    echo "windows: installing ${missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" = 0 ] || sudo_cmd=sudo
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
        "${missing[@]}" > /dev/null || { echo "windows: FAIL cannot install ${missing[*]}"; exit 1; }
fi
export PATH="/usr/lib/wine:$PATH"

status=0
summary=()
note() { summary+=("$1"); echo "windows: $1"; }
fail() { note "FAIL $1"; status=1; }

# --- Builds -----------------------------------------------------------------------------
# The 64-bit build's zip also holds the 32-bit build's install.
for arch in x86_64:build-win64 i686:build-win32; do
    triplet=${arch%%:*}
    dir=${arch#*:}
    mkdir -p "$dir"
    package_option=()
    [ "$dir" = build-win64 ] && package_option=(-DPCI_PACKAGE_WIN32_BUILD="$repo/build-win32")
    if cmake -S . -B "$dir" -DCMAKE_BUILD_TYPE=Release -DPCI_WERROR=ON "${package_option[@]}" \
            -DCMAKE_TOOLCHAIN_FILE="$repo/cmake/toolchains/mingw-$triplet.cmake" > "$dir/ci-build.log" 2>&1 &&
        cmake --build "$dir" -j2 >> "$dir/ci-build.log" 2>&1; then
        note "built $dir"
    else
        tail -40 "$dir/ci-build.log"
        fail "build $dir (log: $dir/ci-build.log)"
    fi
done

# --- Export and import tables -------------------------------------------------------------
# Windows' own libraries: the only ones the outputs may import.
system_dlls='^(kernel32|user32|gdi32|comctl32|comdlg32|advapi32|shell32|ole32|msvcrt|ntdll)\.dll$'
check_tables() { # TRIPLET FILE
    local dump
    dump=$("$1-objdump" -p "$2") || { fail "objdump $2"; return; }
    local imports bad
    imports=$(printf '%s\n' "$dump" | sed -n 's/^\tDLL Name: //p' | tr 'A-Z' 'a-z' | sort -u)
    bad=$(printf '%s\n' "$imports" | grep -Ev "$system_dlls")
    if [ -n "$bad" ]; then fail "$2 imports $(echo $bad)"; else note "$2 imports only $(echo $imports)"; fi
    case "$2" in *.exe) return ;; esac
    local names base count
    names=$(printf '%s\n' "$dump" | sed -n '/^\[Ordinal\/Name Pointer\] Table/,/^$/p' |
        sed -n 's/^\t\[ *\([0-9]*\)\] \(.*\)$/\1 \2/p')
    base=$(printf '%s\n' "$dump" | sed -n 's/^Ordinal Base[ \t]*//p')
    count=$(printf '%s\n' "$dump" | sed -n '/^Export Address Table -- Ordinal Base/,/^$/p' |
        grep -c 'Export RVA')
    if [ "$names" = "0 DriverConfig" ] && [ "$base" = 1 ] && [ "$count" = 1 ]; then
        note "$2 exports DriverConfig at ordinal 1 and nothing else"
    else
        fail "$2 exports: base ${base:-none}, $count entries, names: $(echo $names)"
    fi
}
# cdecl in the 32-bit build: the caller removes the arguments, so DriverConfig returns
# with a plain "ret" (a callee that removes them ends with "ret $0x10").
check_cdecl() { # FILE
    local rets
    rets=$(i686-w64-mingw32-objdump -d --disassemble=_DriverConfig "$1" | grep -E '\bret')
    if [ -z "$rets" ]; then fail "$1: no code for _DriverConfig"
    elif printf '%s\n' "$rets" | grep -q 'ret *\$'; then fail "$1: DriverConfig removes its arguments"
    else note "$1: DriverConfig is cdecl"; fi
}
[ -f build-win32/bin/PCI3916Cfg.dll ] && check_cdecl build-win32/bin/PCI3916Cfg.dll
for arch in x86_64:build-win64 i686:build-win32; do
    for file in PCI3916Cfg.dll devhost.exe pci3916cfg.exe; do
        path="${arch#*:}/bin/$file"
        if [ -f "$path" ]; then check_tables "${arch%%:*}-w64-mingw32" "$path"; else fail "$path missing"; fi
    done
done

# --- The zip -------------------------------------------------------------------------------
# Both architectures' library, host and pci3916cfg.exe with the sample tree, and the README
# at the top.
check_zip() {
    rm -rf build-win64/packages
    if ! cpack --config build-win64/CPackConfig.cmake -B build-win64/packages \
            > build-win64/cpack.log 2>&1; then
        tail -20 build-win64/cpack.log; fail "cpack (log: build-win64/cpack.log)"; return
    fi
    local zip listing entry top missing=()
    zip=$(ls build-win64/packages/*.zip 2> /dev/null | head -1)
    [ -n "$zip" ] || { fail "cpack made no zip"; return; }
    listing=$(unzip -Z1 "$zip") || { fail "unzip -Z1 $zip"; return; }
    top=$(printf '%s\n' "$listing" | head -1 | cut -d/ -f1)
    for entry in README.txt x64/PCI3916Cfg.dll x64/devhost.exe x64/pci3916cfg.exe \
        x86/PCI3916Cfg.dll x86/devhost.exe x86/pci3916cfg.exe \
        x64/samples/driver-tree/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg \
        x64/share/pci3916cfg/template-document.schema.json \
        x64/share/pci3916cfg/examples/sample-tree.json \
        x86/samples/driver-tree/Public/Tarnwick/Device_Drivers/PCI3916/PCI3916.reg; do
        printf '%s\n' "$listing" | grep -qxF "$top/$entry" || missing+=("$entry")
    done
    if [ ${#missing[@]} -gt 0 ]; then fail "$zip lacks ${missing[*]}"; return; fi
    # Each folder holds its own architecture's files.
    local formats file
    formats=""
    for file in PCI3916Cfg.dll pci3916cfg.exe; do
        formats+=$(unzip -p "$zip" "$top/x64/$file" > build-win64/packages/x64.bin &&
            unzip -p "$zip" "$top/x86/$file" > build-win64/packages/x86.bin &&
            x86_64-w64-mingw32-objdump -f build-win64/packages/x64.bin build-win64/packages/x86.bin |
            sed -n 's/.*file format //p' | tr '\n' ' ')
    done
    if [ "$formats" != "pei-x86-64 pei-i386 pei-x86-64 pei-i386 " ]; then
        fail "$zip: the DLLs' and pci3916cfg.exe's formats are \"$formats\""
    elif ! unzip -p "$zip" "$top/README.txt" | grep -q 'pci3916cfg\.exe --root'; then
        fail "$zip: the README does not say how to use pci3916cfg.exe"
    else
        note "$zip holds both DLLs, both hosts, both pci3916cfg.exe, the sample tree and the README"
        zipped=$zip
    fi
}

# The zipped x64 pci3916cfg.exe, unpacked, on the sample tree beside it: list, a set on a
# copy of the tree and check, each with the status and output expected.
run_zipped_cli() { # ZIP
    local unpacked top cli tree out status
    unpacked=$(mktemp -d "${TMPDIR:-/tmp}/zip.XXXXXX")
    unzip -q "$1" -d "$unpacked" || { fail "unzip $1"; rm -rf "$unpacked"; return; }
    top=$(ls "$unpacked")
    cli="$unpacked/$top/x64/pci3916cfg.exe"
    tree="$unpacked/$top/x64/samples/driver-tree/"
    example="$unpacked/$top/x64/share/pci3916cfg/examples/sample-tree.json"
    out=$(wine64 "$cli" --root "$tree" list 2>&1); status=$?
    if [ "$status" != 0 ] || ! printf '%s\n' "$out" | grep -q '^Template[0-9]*  SwitchID '; then
        fail "the zipped pci3916cfg.exe list: status $status: $out"
    elif ! out=$(wine64 "$cli" --root "$tree" add --switch-id 9 2>&1) ||
            ! [[ "$out" == *"SwitchID 9"* ]]; then
        fail "the zipped pci3916cfg.exe add: $out"
    elif ! wine64 "$cli" --root "$tree" list 2>&1 | grep -q 'SwitchID 9 '; then
        fail "the zipped pci3916cfg.exe: the added template is not listed"
    elif out=$(wine64 "$cli" --root "$tree" apply "$example" --check-only 2>&1); then
        fail "the zipped pci3916cfg.exe apply --check-only of the zipped example after add: $out"
    elif ! out=$(wine64 "$cli" --root "$tree" apply "$example" 2>&1) ||
            wine64 "$cli" --root "$tree" list 2>&1 | grep -q 'SwitchID 9 '; then
        fail "the zipped pci3916cfg.exe apply of the zipped example: $out"
    else
        note "the zipped pci3916cfg.exe lists, adds, lists again and applies the zipped example under Wine"
    fi
    rm -rf "$unpacked"
}
zipped=""
if [ -f build-win64/bin/devhost.exe ] && [ -f build-win32/bin/devhost.exe ]; then
    check_zip
else
    fail "no zip: a build is missing"
fi

# --- Under Wine ---------------------------------------------------------------------------
if [ -f build-win64/bin/devhost.exe ] && [ -f build-win64/tests/platform/platform_ui_tests.exe ]; then
    prefix=$(mktemp -d "${TMPDIR:-/tmp}/wine-prefix.XXXXXX")
    export WINEPREFIX="$prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree=;mshtml="
    started=$(date +%s)
    if wine64 wineboot -i > "$prefix.boot.log" 2>&1; then
        wineserver -w
        note "fresh Wine prefix in $(( $(date +%s) - started )) s"
        # One X server for all; the server's depth is that of the screenshots.
        xvfb-run -a -s "-screen 0 1024x768x24" tests/wine/run-scenarios build-win64 \
            > build-win64/wine-scenarios.log 2>&1
        wine_status=$?
        cat build-win64/wine-scenarios.log
        # The suites' GoogleTest summaries (a failed suite also fails the run's result).
        while IFS= read -r line; do
            case "$line" in ok*) note "$line" ;; *) fail "${line#FAIL }" ;; esac
        done < <(grep -E '^(ok|FAIL) gtest\.' build-win64/wine-scenarios.log)
        result=$(grep '^wine: ' build-win64/wine-scenarios.log | tail -1)
        if [ "$wine_status" = 0 ]; then note "${result:-wine: no result}"; else fail "${result:-wine: no result}"; fi
        if [ -n "$zipped" ]; then run_zipped_cli "$zipped"; else fail "no zip to run pci3916cfg.exe from"; fi
    else
        cat "$prefix.boot.log"
        fail "wineboot"
    fi
    wineserver -k 2> /dev/null
    rm -rf "$prefix" "$prefix.boot.log"
else
    fail "nothing to run under Wine"
fi

# --- The import reading against Wine's regedit ---------------------------------------------
# import-dump (the editor's reading of a driver file, as JSON) is a Linux test tool, built
# in a Linux build folder of its own; tests/importer/differential compares it with what
# regedit imports from generated files and from the cases in tests/importer/found/.
differential_packages=(cmake g++ make python3 libgtest-dev nlohmann-json3-dev libncurses-dev libxxhash-dev)
differential_missing=()
for package in "${differential_packages[@]}"; do
    dpkg -s "$package" > /dev/null 2>&1 || differential_missing+=("$package")
done
if [ ${#differential_missing[@]} -gt 0 ]; then
    echo "windows: installing ${differential_missing[*]}"
    sudo_cmd=""
    [ "$(id -u)" = 0 ] || sudo_cmd=sudo
    $sudo_cmd apt-get update -qq
    DEBIAN_FRONTEND=noninteractive $sudo_cmd apt-get install -y -qq --no-install-recommends \
        "${differential_missing[@]}" > /dev/null || fail "cannot install ${differential_missing[*]}"
fi
mkdir -p build-differential
if cmake -S . -B build-differential -DCMAKE_BUILD_TYPE=Release -DPCI_WERROR=ON -DPCI_BUILD_BENCH=OFF \
        > build-differential/ci-build.log 2>&1 &&
    cmake --build build-differential -j2 --target import-dump >> build-differential/ci-build.log 2>&1; then
    python3 tests/importer/differential build-differential > build-differential/differential.log 2>&1
    differential_status=$?
    # The seeds, the mismatches and the counts; the per-kind tables stay in the log.
    grep -Ev '^  ' build-differential/differential.log
    result=$(grep '^differential: [0-9]* passed' build-differential/differential.log | tail -1)
    if [ "$differential_status" = 0 ]; then
        note "${result:-differential: no result}"
    else
        fail "${result:-differential: no result} (log: build-differential/differential.log)"
    fi
else
    tail -40 build-differential/ci-build.log
    fail "build import-dump (log: build-differential/ci-build.log)"
fi

echo
echo "=== Windows summary"
for line in "${summary[@]}"; do echo "  $line"; done
if [ "$status" = 0 ]; then echo "=== Windows: all passed"; else echo "=== Windows: FAILED"; fi
exit "$status"
