#!/usr/bin/env bash
# Time to open a 500-problem collection: natively (compiling it, then opening
# it again from the kept copy) and in the browser (compiling in the worker,
# with the longest frame meanwhile).  Needs the corpus beside the project and
# the builds of scripts/test.sh (build/ and web-out/).
#   usage: bash bench/collections.sh [FOLDER]
set -euo pipefail
cd "$(dirname "$0")/.."
corpus="${1:-../shared/corpus/classical/gokyo-shumyo}"
if [ ! -d "$corpus" ]; then
  echo "bench/collections.sh: $corpus is missing (the corpus lives in ../shared/corpus)" >&2
  exit 2
fi
runner=build/platform/headless/vostra
[ -x "$runner" ] || { echo "bench/collections.sh: build $runner first" >&2; exit 2; }
scratch="$(mktemp -d)"
trap 'rm -rf "$scratch"' EXIT
export VOSTRA_CONFIG_DIR="$scratch/config" VOSTRA_DATA_DIR="$scratch/data"
: > "$scratch/empty.txt"
echo "== native: compile and open $corpus =="
start=$(date +%s%N)
"$runner" --headless --script "$scratch/empty.txt" --problems "$corpus" 2>&1 >/dev/null | tail -1
echo "whole run: $(( ($(date +%s%N) - start) / 1000000 )) ms"
echo "== native: open the kept collection =="
start=$(date +%s%N)
"$runner" --headless --script "$scratch/empty.txt" >/dev/null
echo "whole run: $(( ($(date +%s%N) - start) / 1000000 )) ms"
if [ -d web-out ] && [ -d tests/web/node_modules ]; then
  echo "== browser =="
  node tests/web/collections_test.mjs --site web-out --runner "$runner" --corpus "$corpus" | grep -E '^(opening|the page|FAIL)'
else
  echo "(no web-out/ or tests/web/node_modules: the browser is not measured)"
fi
