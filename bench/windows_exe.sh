#!/usr/bin/env bash
# tramsel.exe: its size (the windows-release preset: Release, static runtime,
# no symbol table), and under Wine the time from launch until its main window is mapped, against a
# bare Win32 window with the same controls (bench/win32_bare_window.cpp).
# Usage: bench/windows_exe.sh   (RUNS=10 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-10}
out=build/windows-release
cmake --workflow --preset windows-release >/dev/null
x86_64-w64-mingw32-g++-posix -std=c++20 -O2 -municode -mwindows -static -s \
    -o "$out/bare.exe" bench/win32_bare_window.cpp -lcomctl32
echo "tramsel.exe: $(stat -c %s "$out/src/tramsel.exe") bytes (aim: at most 1048576)"
echo "bare window: $(stat -c %s "$out/bare.exe") bytes"
echo "imports: $(x86_64-w64-mingw32-objdump -p "$out/src/tramsel.exe" | awk '/DLL Name/ {print $3}' | tr '\n' ' ')"

. tests/support/x11_session.sh
export WINEPREFIX="$work/prefix" WINEDEBUG=-all WINEDLLOVERRIDES="mscoree,mshtml="
trap 'wineserver -k 2>/dev/null || true; cleanup' EXIT
# A persistent wineserver keeps Wine's services up between runs, as on a desktop.
mkdir -p "$WINEPREFIX"
wineserver -p
wineboot --init >/dev/null 2>&1
cp /usr/share/wine/fonts/{tahoma,tahomabd,marlett}.ttf /usr/share/wine/fonts/sserife.fon \
    "$WINEPREFIX/drive_c/windows/Fonts/"

# Milliseconds from launch until a window titled $2 is mapped; Ctrl+Q ends it.
launch_ms() {
    local start end id
    start=$(date +%s%N)
    wine "$1" >/dev/null 2>&1 &
    local pid=$!
    until id=$(xdotool search --onlyvisible --name "$2" 2>/dev/null | head -n 1) && [ -n "$id" ]; do
        sleep 0.005
    done
    end=$(date +%s%N)
    xdotool windowactivate --sync "$id" key --clearmodifiers ctrl+q >/dev/null 2>&1 || true
    wait "$pid" 2>/dev/null || true
    echo $(((end - start) / 1000000))
}
median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }

launch_ms "$out/bare.exe" '^Bare V\. 2\.0$' >/dev/null  # warm the caches
for _ in $(seq "$runs"); do launch_ms "$out/bare.exe" '^Bare V\. 2\.0$'; done >"$work/bare"
for _ in $(seq "$runs"); do launch_ms "$out/src/tramsel.exe" '^Tramsel V\. 2\.0$'; done >"$work/tramsel"
bare=$(median <"$work/bare")
tramsel=$(median <"$work/tramsel")
echo "launch to mapped window under Wine, median of $runs: tramsel.exe $tramsel ms, bare window $bare ms," \
     "ratio $(awk -v t="$tramsel" -v b="$bare" 'BEGIN {printf "%.2f", t / b}') (aim: at most 1.25)"
