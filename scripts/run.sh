#!/usr/bin/env bash
# Sets everything up, builds Vostra and opens the trainer.
set -euo pipefail
cd "$(dirname "$0")/.."
bash scripts/deps.sh
cmake -S . -B build -DCMAKE_BUILD_TYPE=RelWithDebInfo >/dev/null
cmake --build build -j"$(nproc)" --target vostra
exec build/app/vostra "$@"
