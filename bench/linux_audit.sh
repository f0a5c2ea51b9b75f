#!/usr/bin/env bash
# Benchmark of listing every local account at once: `--audit --root TREE
# --format csv` on a tree of 10,000 accounts whose wtmp and btmp hold
# 1,000,000 records each (384 MB apiece), timed against a `cat` of both files
# in the same run (medians, the two taking turns), and its peak memory
# (maximum resident set size, /usr/bin/time -v). Then the peak memory of
# auditing BIG_ACCOUNTS (100,000) accounts to a CSV file, whole and per
# account. Login records are drawn at random, as in real logs. Prints the
# machine's load with the figures. The aims: at most 1.3 times the cat, at
# most 64 MiB; for the large tree at most 128 MiB and 1 KiB an account.
# Usage: bench/linux_audit.sh [PROGRAM]
#   PROGRAM takes --audit --root TREE --format csv and writes the CSV to
#   standard output; without it tramsel is built (Release) and used. A
#   program of one's own with that command line can stand in for it.
set -euo pipefail
cd "$(dirname "$0")/.."
records=${RECORDS:-1000000}
accounts=${ACCOUNTS:-10000}
big_accounts=${BIG_ACCOUNTS:-100000}
runs=${RUNS:-11}
work=build/bench

program=${1:-}
if [ -z "$program" ]; then
    cmake -S . -B "$work/build" -G Ninja -DCMAKE_BUILD_TYPE=Release -DBUILD_TESTING=OFF >/dev/null
    cmake --build "$work/build" --target tramsel >/dev/null
    program=$work/build/src/tramsel
fi

tree=$work/audit-random-$records-$accounts
[ -s "$tree/var/log/btmp" ] || python3 bench/make_linux_tree.py "$tree" "$records" files "$accounts"
cat "$tree"/var/log/wtmp "$tree"/var/log/btmp >/dev/null  # a warm page cache, as on a busy server

rows=$("$program" --audit --root "$tree" --format csv | wc -l)
echo "program: $program"
echo "tree:    $tree ($accounts accounts, $records records each in wtmp and btmp," \
     "$(du -sh --apparent-size "$tree"/var/log/wtmp | cut -f1) apiece); $rows lines of CSV"

python3 - "$program" "$tree" "$runs" <<'PY'
import statistics, subprocess, sys, time
program, tree, runs = sys.argv[1], sys.argv[2], int(sys.argv[3])
cases = [("cat wtmp btmp", ["cat", f"{tree}/var/log/wtmp", f"{tree}/var/log/btmp"]),
         ("audit", [program, "--audit", "--root", tree, "--format", "csv"])]
times = {name: [] for name, _ in cases}
print(f"load before: {open('/proc/loadavg').read().strip()}")
for _ in range(runs):
    for name, args in cases:
        start = time.perf_counter()
        subprocess.run(args, stdout=subprocess.DEVNULL, check=True)
        times[name].append((time.perf_counter() - start) * 1000)
print(f"load after:  {open('/proc/loadavg').read().strip()}")
cat = statistics.median(times["cat wtmp btmp"])
audit = statistics.median(times["audit"])
print(f"{'cat wtmp btmp':<14} {cat:8.2f} ms (median of {runs} runs)")
print(f"{'audit':<14} {audit:8.2f} ms   ratio {audit / cat:5.2f} (aim: at most 1.3)")
PY

kb=$(/usr/bin/time -v "$program" --audit --root "$tree" --format csv 2>&1 >/dev/null |
     awk -F': ' '/Maximum resident/ {print $2}')
printf 'peak memory:   %6s KiB (%s MiB; aim: at most 64 MiB)\n' "$kb" "$((kb / 1024))"

big=$work/audit-random-$records-$big_accounts
[ -s "$big/var/log/btmp" ] || python3 bench/make_linux_tree.py "$big" "$records" files "$big_accounts"
csv=$work/audit-$big_accounts.csv
kb=$(/usr/bin/time -v "$program" --audit --root "$big" --format csv 2>&1 >"$csv" |
     awk -F': ' '/Maximum resident/ {print $2}')
echo "large tree: $big ($big_accounts accounts, $(($(wc -l <"$csv") - 1)) rows written to $csv)"
printf 'peak memory:   %6s KiB (%s MiB; aim: at most 128 MiB), %s bytes an account (aim: at most 1024)\n' \
       "$kb" "$((kb / 1024))" "$((kb * 1024 / big_accounts))"
