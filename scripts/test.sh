#!/usr/bin/env bash
# Sets everything up, builds Vostra and runs the whole test suite: the normal
# build, the same suite under AddressSanitizer and UndefinedBehaviorSanitizer,
# and short fuzzing runs.
set -euo pipefail
cd "$(dirname "$0")/.."
export PATH="$PATH:/usr/games"
bash scripts/deps.sh
jobs=$(nproc)

echo "== build and test =="
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$jobs"
(cd build && ctest --output-on-failure -j"$jobs")

echo "== build and test with AddressSanitizer and UndefinedBehaviorSanitizer =="
cmake -S . -B build-asan -DCMAKE_BUILD_TYPE=Debug -DVOSTRA_SANITIZE=ON -DVOSTRA_DESKTOP=OFF >/dev/null
cmake --build build-asan -j"$jobs"
(cd build-asan && ASAN_OPTIONS=detect_leaks=1 UBSAN_OPTIONS=print_stacktrace=1 \
   ctest --output-on-failure -j"$jobs")
