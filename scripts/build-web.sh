#!/usr/bin/env bash
# Builds the browser version with Emscripten into web-out/: index.html,
# style.css, page.js, vostra.js and vostra.wasm, with the web app's manifest,
# icons and service worker (sw.js), to be served by any static
# web server (for example: cd web-out && python3 -m http.server -b 127.0.0.1),
# and the problem compiler for node.
# VOSTRA_WEB_BUILD and VOSTRA_WEB_OUT choose other build and output folders.
set -euo pipefail
cd "$(dirname "$0")/.."
# Debian's Emscripten finds acorn among Debian's node modules.
export NODE_PATH="${NODE_PATH:-/usr/share/nodejs}"
build="${VOSTRA_WEB_BUILD:-build-web}"
out="${VOSTRA_WEB_OUT:-$PWD/web-out}"
case "$out" in /*) ;; *) out="$PWD/$out" ;; esac
emcmake cmake -S . -B "$build" -DCMAKE_BUILD_TYPE=MinSizeRel -DVOSTRA_TESTS=OFF -DVOSTRA_DESKTOP=OFF \
  -DVOSTRA_WEB_OUT="$out" >/dev/null
cmake --build "$build" -j"${VOSTRA_JOBS:-2}" --target vostra_web vostra_service_worker
# The problem compiler with the solver, for node: $build/tools/vostra-problems.js.
cmake --build "$build" -j"${VOSTRA_JOBS:-2}" --target vostra-problems
echo "built $out and $build/tools/vostra-problems.js"
