#!/usr/bin/env bash
# Times playMove and @sabaki/go-board on the same random 19x19 games and
# prints moves per second (CPU time) for both and their ratio.
# usage: bench/sabaki/compare.sh [BUILD_DIR]   (built with -DVOSTRA_BENCH=ON)
set -euo pipefail
here="$(cd "$(dirname "$0")" && pwd)"
build="${1:-$here/../../build}"
bench="$build/bench/rules_bench"
[ -x "$bench" ] || { echo "no $bench: configure with -DVOSTRA_BENCH=ON and build rules_bench" >&2; exit 1; }
[ -d "$here/node_modules/@sabaki/go-board" ] || (cd "$here" && npm install --no-audit --no-fund --silent)

moves="$(mktemp)"
trap 'rm -f "$moves"' EXIT
ours=$(VOSTRA_BENCH_MOVES="$moves" "$bench" --benchmark_filter=BM_PlayMove --benchmark_min_time=2 \
         --benchmark_format=csv 2>/dev/null | grep '^"BM_PlayMove"' | cut -d, -f7)
theirs=$(node "$here/compare.js" "$moves" 3)
# Google Benchmark writes the rate as 1.23e+06: print it whole.
awk -v a="$ours" 'BEGIN { printf "playMove: %.0f moves/s\n", a }'
echo "$theirs"
rate=$(echo "$theirs" | sed -E 's/.*: ([0-9]+) moves\/s.*/\1/')
awk -v a="$ours" -v b="$rate" 'BEGIN { printf "ratio: %.1fx\n", a / b }'
