#!/usr/bin/env bash
# Sets everything up, builds Vostra and runs the whole test suite: the normal
# build, its Debian package installed and removed again, the browser build in
# headless Chromium against the headless runner and as a web app, short
# fuzzing runs, and last the same suite under AddressSanitizer and
# UndefinedBehaviorSanitizer.
set -euo pipefail
cd "$(dirname "$0")/.."
export PATH="$PATH:/usr/games"
VOSTRA_WEB=1 bash scripts/deps.sh
jobs=$(nproc)

echo "== build and test =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")
bash scripts/test-package.sh build

echo "== browser build and test =="
VOSTRA_JOBS="$jobs" bash scripts/build-web.sh
(cd tests/web && npm ci --no-audit --no-fund --loglevel=error)
node tests/web/browser_test.mjs --site web-out --runner build/app/vostra \
  --tool build/tools/vostra-problems
node tests/web/webapp_test.mjs --site web-out --tool build/tools/vostra-problems
node tests/web/collections_test.mjs --site web-out --runner build/app/vostra
node tests/web/captions_test.mjs --site web-out --runner build/app/vostra --tool build/tools/vostra-problems

echo "== fuzzing: records, tree and rules (60 s) =="
CC=clang CXX=clang++ cmake -S . -B build-fuzz -DCMAKE_BUILD_TYPE=RelWithDebInfo -DVOSTRA_FUZZ=ON \
  -DVOSTRA_TESTS=OFF -DVOSTRA_DESKTOP=OFF >/dev/null
cmake --build build-fuzz -j"$jobs" --target fuzz_record
fuzz_out="$(mktemp -d)"
build-fuzz/fuzz/fuzz_record -max_total_time=60 -print_final_stats=1 "$fuzz_out" fuzz/corpus/record
rm -rf "$fuzz_out"

echo "== fuzzing: SGF reader and problem compiler (60 s) =="
cmake --build build-fuzz -j"$jobs" --target fuzz_sgf
fuzz_out="$(mktemp -d)"
build-fuzz/fuzz/fuzz_sgf -max_total_time=60 -print_final_stats=1 -dict=fuzz/sgf.dict "$fuzz_out" fuzz/corpus/sgf
rm -rf "$fuzz_out"

echo "== fuzzing: life-and-death solver (30 s) =="
cmake --build build-fuzz -j"$jobs" --target fuzz_solver
fuzz_out="$(mktemp -d)"
build-fuzz/fuzz/fuzz_solver -max_total_time=30 -print_final_stats=1 "$fuzz_out" fuzz/corpus/solver
rm -rf "$fuzz_out"

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVOSTRA_SANITIZE=ON -DVOSTRA_DESKTOP=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs")
