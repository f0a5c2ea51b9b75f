#!/usr/bin/env bash
# The end-to-end tests that drive real programs, on a machine with no core to
# spare: the Wine walk-through of tramsel.exe and the Samba domain test, RUNS
# times each in a row, while the whole project is built over and over, from
# scratch and without ccache, in a clone of its own (one job more than there
# are cores). Prints each run's result, time and /proc/loadavg, then the pass
# counts; exits 1 unless every run passed.
# Usage: bench/under_load.sh   (as root, for the domain test; RUNS=5 by default)
set -euo pipefail
cd "$(dirname "$0")/.."
runs=${RUNS:-5}
. scripts/deps.sh
ensure_packages "${BUILD_PACKAGES[@]}" "${TEST_PACKAGES[@]}" "${WINDOWS_CROSS_PACKAGES[@]}"

echo "building what the tests run"
cmake --preset default >/dev/null
cmake --build --preset default --target tramsel >/dev/null
cmake --preset windows-cross >/dev/null
cmake --build --preset windows-cross --target tramsel >/dev/null
logs=build/under-load
rm -rf "$logs"
mkdir -p "$logs"

# The load, in a session of its own so that all of it stops at the end.
scratch=$(mktemp -d)
loader=
stop_load() {
    local status=$?
    # The load's session: the build loop, ninja and every compiler it started.
    [ -z "$loader" ] || { pkill -s "$loader" || true; wait "$loader" 2>/dev/null || true; }
    rm -rf "$scratch"
    exit "$status"
}
trap stop_load EXIT
git clone -q . "$scratch/tramsel"
setsid bash -c '
    cd "$1"
    export CCACHE_DISABLE=1 CMAKE_CXX_COMPILER_LAUNCHER=
    cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=Debug -DBUILD_TESTING=ON >/dev/null
    while :; do
        cmake --build build --target clean >/dev/null
        cmake --build build -j "$2" >/dev/null 2>&1 || true
    done' load "$scratch/tramsel" $(($(nproc) + 1)) </dev/null >"$logs/load.log" 2>&1 &
loader=$!

# Under way once there is a compiler for every core.
compiling() { [ "$(pgrep -c -s "$loader" cc1plus)" -ge "$(nproc)" ]; }
for _ in $(seq 600); do compiling && break; sleep 0.2; done
compiling || { cat "$logs/load.log"; echo "the load build did not start" >&2; exit 1; }
echo "load: $(nproc) cores, the project built with $(($(nproc) + 1)) jobs; loadavg $(cut -d' ' -f1-3 /proc/loadavg)"

declare -A passed=()
# run NAME LOG COMMAND...: one run, its result and the load as it ended.
run() {
    local name=$1 log=$2 start status=0
    shift 2
    start=$SECONDS
    "$@" >"$log" 2>&1 || status=$?
    printf '%-16s %-4s %3d s  loadavg %s\n' "$name" "$([ "$status" -eq 0 ] && echo pass || echo "FAIL($status)")" \
        $((SECONDS - start)) "$(cut -d' ' -f1-3 /proc/loadavg)"
    if [ "$status" -eq 0 ]; then
        passed[$name]=$((${passed[$name]:-0} + 1))
    else
        tail -n 30 "$log" | sed 's/^/    /'
    fi
}
for i in $(seq "$runs"); do
    run wine_walkthrough "$logs/wine_walkthrough.$i.log" \
        tests/main/win32/wine_walkthrough.sh build/windows-cross/src/tramsel.exe
done
for i in $(seq "$runs"); do
    run samba_domain "$logs/samba_domain.$i.log" tests/directory/ad/samba_domain_test.sh build/default/src/tramsel
done

echo "passed: wine_walkthrough ${passed[wine_walkthrough]:-0}/$runs, samba_domain ${passed[samba_domain]:-0}/$runs" \
     "(logs in $logs)"
[ "${passed[wine_walkthrough]:-0}" -eq "$runs" ] && [ "${passed[samba_domain]:-0}" -eq "$runs" ]
