#!/usr/bin/env bash
# Benchmark of the Linux accounts provider: the report for a user whose
# records are at the end, in the middle of, or absent from 1,000,000-record
# wtmp and btmp files (384 MB each) with a sparse lastlog for uid
# 3,000,000,000, timed against `--version` of the same program and against a
# `cat` of both files (the full scan, for the absent user, reads all of
# them), and its peak memory beside that of a 10,000-record tree. Then the
# same on a tree whose only login records are lastlog2's database and a
# 1,000,000-row wtmpdb. The machine's load is printed with the figures.
# Usage: bench/linux_accounts.sh [PROGRAM]
#   PROGRAM takes --version and --print --root TREE HOST\user; without it
#   tramsel is built (Release) and used.
set -euo pipefail
cd "$(dirname "$0")/.."
records=${RECORDS:-1000000}
runs=${RUNS:-30}
work=build/bench

program=${1:-}
if [ -z "$program" ]; then
    cmake -S . -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$work/build" --target tramsel >/dev/null
    program=$work/build/src/tramsel
fi

tree=$work/tree-$records
small=$work/tree-10000
dbtree=$work/dbtree-$records
[ -s "$tree/var/log/btmp" ] || python3 bench/make_linux_tree.py "$tree" "$records"
[ -s "$small/var/log/btmp" ] || python3 bench/make_linux_tree.py "$small" 10000
[ -s "$dbtree/var/lib/wtmpdb/wtmp.db" ] || python3 bench/make_linux_tree.py "$dbtree" "$records" databases
cat "$dbtree"/var/lib/wtmpdb/wtmp.db >/dev/null
cat "$tree"/var/log/wtmp "$tree"/var/log/btmp >/dev/null  # a warm page cache, as on a busy server

echo "program: $program"
echo "tree:    $tree ($(du -sh --apparent-size "$tree"/var/log/wtmp | cut -f1) wtmp," \
     "$(du -sh --apparent-size "$tree"/var/log/btmp | cut -f1) btmp," \
     "lastlog $(stat -c %s "$tree"/var/log/lastlog) bytes apparent, $(du -sh "$tree"/var/log/lastlog | cut -f1) on disk)"

timings() {
python3 - "$program" "$1" "$runs" <<'PY'
import os, statistics, subprocess, sys, time
program, tree, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])

# The cases take turns, so that load from elsewhere on the machine falls on
# all of them alike.
cases = [("--version", [program, "--version"])] + [
    (f"report, {user}", [program, "--print", "--root", tree, f"BENCHHOST\\{user}"])
    for user in ("endu", "midu", "absentu")]
logs = [f"{tree}/var/log/{name}" for name in ("wtmp", "btmp") if os.path.exists(f"{tree}/var/log/{name}")]
if logs:
    cases.append(("cat wtmp btmp", ["cat"] + logs))
times = {name: [] for name, _ in cases}
print(f"load before: {open('/proc/loadavg').read().strip()}")
for _ in range(runs):
    for name, args in cases:
        start = time.perf_counter()
        subprocess.run(args, stdout=subprocess.DEVNULL, check=False)
        times[name].append((time.perf_counter() - start) * 1000)
print(f"load after:  {open('/proc/loadavg').read().strip()}")
version = statistics.median(times["--version"])
print(f"{'--version':<20} {version:8.2f} ms (median of {runs} runs)")
for name, _ in cases[1:4]:
    report = statistics.median(times[name])
    print(f"{name:<20} {report:8.2f} ms   {report - version:+8.2f} ms over --version   ratio {report / version:6.2f}")
if logs:
    cat = statistics.median(times["cat wtmp btmp"])
    scan = statistics.median(times["report, absentu"])
    print(f"{'cat wtmp btmp':<20} {cat:8.2f} ms")
    print(f"full scan (absentu) / cat: ratio {scan / cat:6.2f}")
PY
}
timings "$tree"

echo "peak memory (maximum resident set size):"
for t in "$small" "$tree"; do
    for user in endu absentu; do
        kb=$(/usr/bin/time -v "$program" --print --root "$t" "BENCHHOST\\$user" 2>&1 >/dev/null |
             awk -F': ' '/Maximum resident/ {print $2}')
        printf '  %-28s %6s KiB\n' "$(basename "$t") $user" "$kb"
    done
done
kb=$(/usr/bin/time -v "$program" --version 2>&1 >/dev/null | awk -F': ' '/Maximum resident/ {print $2}')
printf '  %-28s %6s KiB\n' "--version" "$kb"

echo
echo "tree:    $dbtree (lastlog2 and a wtmpdb of $records rows, $(du -sh "$dbtree"/var/lib/wtmpdb/wtmp.db | cut -f1); no wtmp, btmp or lastlog)"
timings "$dbtree"
for user in endu absentu; do
    kb=$(/usr/bin/time -v "$program" --print --root "$dbtree" "BENCHHOST\\$user" 2>&1 >/dev/null |
         awk -F': ' '/Maximum resident/ {print $2}')
    printf '  peak memory, %-14s %6s KiB\n' "$user" "$kb"
done
echo "report for endu:"
"$program" --print --root "$dbtree" 'BENCHHOST\endu' | tr -d '\r' | sed -n '5,6p'
