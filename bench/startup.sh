#!/usr/bin/env bash
# Start-up against its floors: the time from launch until Tramsel's main
# window is mapped and its peak resident set, each against a bare Qt main
# window (bench/bare_qt_window.cpp) built beside it with the same flags; and
# `tramsel --version` and a local account's `--print` against `true`. Medians of RUNS runs (10 by default),
# taken alternately, with the machine's load before and after.
# Usage: bench/startup.sh
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-10}
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" xvfb libx11-dev

cmake --preset release >/dev/null
cmake --build --preset release --target tramsel >/dev/null
program=build/release/src/tramsel
out=build/release/bench
mkdir -p "$out"
flags=$(sed -n 's/^CMAKE_CXX_FLAGS_RELEASE:STRING=//p' build/release/CMakeCache.txt)
# shellcheck disable=SC2086 # the flags are words
g++ -std=c++20 $flags -fPIC -o "$out/bare_qt_window" bench/bare_qt_window.cpp \
    $(pkg-config --cflags --libs Qt6Widgets)
gcc -O2 -o "$out/map_waiter" bench/map_waiter.c -lX11

echo "load before: $(cat /proc/loadavg)"
work=$(mktemp -d)
xvfb=
trap 'kill $xvfb 2>/dev/null || true; rm -rf "$work"' EXIT
# A display with no window manager (the map the waiter sees is the
# program's own) that stays up between clients.
: >"$work/display"
Xvfb -displayfd 3 -screen 0 1024x768x24 -nolisten tcp -noreset 3>"$work/display" 2>"$work/xvfb.log" &
xvfb=$!
# The number is written with a line end once the server listens.
for _ in $(seq 100); do [ "$(wc -l <"$work/display")" -ge 1 ] && break; sleep 0.1; done
export DISPLAY=":$(cat "$work/display")" QT_QPA_PLATFORM=xcb
unset WAYLAND_DISPLAY
# No session bus here: without an address, Qt would fork to start one on
# every launch, which a desktop never does.
export DBUS_SESSION_BUS_ADDRESS="unix:path=$work/no-bus" XDG_RUNTIME_DIR="$work"

median() { sort -n | awk '{a[NR] = $1} END {print a[int((NR + 1) / 2)]}'; }
ratio() { awk -v a="$1" -v b="$2" 'BEGIN {printf "%.2f", a / b}'; }

# Warm the caches, then alternate so that both see the same load.
"$out/map_waiter" "$out/bare_qt_window" >/dev/null
"$out/map_waiter" "$program" >/dev/null
for _ in $(seq "$runs"); do
    "$out/map_waiter" "$out/bare_qt_window" >>"$work/bare"
    "$out/map_waiter" "$program" >>"$work/tramsel"
done
for field in 1 2 3 4; do
    eval "bare$field=\$(cut -d' ' -f$field <\"$work/bare\" | median)"
    eval "tramsel$field=\$(cut -d' ' -f$field <\"$work/tramsel\" | median)"
done
# shellcheck disable=SC2154 # set by eval above
{
    echo "launch to mapped window, median of $runs: tramsel $((tramsel1 / 1000)) ms, bare $((bare1 / 1000)) ms," \
         "ratio $(ratio "$tramsel1" "$bare1") (aim: at most 1.25)"
    echo "peak RSS, median of $runs: tramsel $tramsel2 KiB, bare $bare2 KiB," \
         "ratio $(ratio "$tramsel2" "$bare2") (aim: at most 1.15)"
    echo "shared objects mapped with the window: tramsel $tramsel3, bare $bare3"
    echo "processor time from launch to exit: tramsel $((tramsel4 / 1000)) ms, bare $((bare4 / 1000)) ms," \
         "ratio $(ratio "$tramsel4" "$bare4")"
}

# Windowless: a batch of 20 runs, RUNS times, each against /bin/true.
batch_us() {
    local start
    start=$(date +%s%N)
    for _ in $(seq 20); do "$@" >/dev/null; done
    echo $((($(date +%s%N) - start) / 20000))
}
account="$(hostname)\\$(id -un)"
for _ in $(seq "$runs"); do
    batch_us /bin/true >>"$work/true"
    batch_us "$program" --version >>"$work/version"
    batch_us "$program" --print "$account" >>"$work/print"
done
true_us=$(median <"$work/true")
version_us=$(median <"$work/version")
print_us=$(median <"$work/print")
echo "tramsel --version $version_us us, true $true_us us, ratio $(ratio "$version_us" "$true_us");" \
     "$(LD_TRACE_LOADED_OBJECTS=1 "$program" | grep -c '=>') shared objects linked"
echo "tramsel --print '$account' $print_us us, ratio $(ratio "$print_us" "$true_us") to true;" \
     "shared objects it maps: $(LD_DEBUG=files "$program" --print "$account" 2>&1 >/dev/null | grep -c 'file=.*generating link map')"
echo "load after: $(cat /proc/loadavg)"
