#!/usr/bin/env bash
# Benchmark of sorting an audit's rows, as `--sort` and the audit window do:
# 100,000 generated accounts (ROWS for another number) sorted by a column
# of each kind. Prints each sort's time and the machine's load. The aim: at
# most 300 ms for any column, so that a click on a heading answers at once.
# Usage: bench/sort_rows.sh
set -euo pipefail
cd "$(dirname "$0")/.."
work=build/bench
mkdir -p "$work"
${CXX:-g++} -std=c++20 -O2 -DNDEBUG -Isrc -o "$work/sort_rows" bench/sort_rows.cpp src/report/*.cpp
echo "load: $(cut -d' ' -f1-3 /proc/loadavg)"
"$work/sort_rows" "${ROWS:-100000}"
