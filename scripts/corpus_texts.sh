#!/usr/bin/env bash
# Compiles the classical collections of ../shared/corpus and reports, per
# collection, what the texts table keeps: titles, goals and node comments,
# how many hold Chinese, and how many characters could not be decoded
# (U+FFFD).  Files without CA there are GBK; a count above 0 in the last
# column means the charset detection failed somewhere.
#   usage: scripts/corpus_texts.sh [BUILD_DIR]   (default: build)
set -euo pipefail
cd "$(dirname "$0")/.."
build="${1:-build}"
corpus=../shared/corpus/classical
tool="$build/tools/vostra-problems"
if [ ! -d "$corpus" ]; then
  echo "corpus_texts: $corpus is missing (see ../shared/corpus/README.md); nothing measured" >&2
  exit 1
fi
if [ ! -x "$tool" ]; then
  echo "corpus_texts: $tool is not built (cmake --build $build --target vostra-problems)" >&2
  exit 1
fi
out="$(mktemp -d)"
trap 'rm -rf "$out"' EXIT
printf '%-16s %8s %7s %6s %9s %8s %7s\n' collection problems titles goals comments chinese U+FFFD
for dir in "$corpus"/*/; do
  name="$(basename "$dir")"
  "$tool" compile -q --main-line-correct --prune -o "$out/$name.txt" "$dir" 2>"$out/$name.log" || true
  [ -f "$out/$name.texts" ] || { echo "$name: nothing compiled (see the compiler's messages)"; continue; }
  problems=$(grep -c . "$out/$name.txt" || true)
  LC_ALL=C awk -F'\t' -v name="$name" -v problems="$problems" '
    /^#/ { next }
    { if ($2 == "title") t++; else if ($2 == "goal") g++; else c++
      if ($3 ~ /[\344-\351][\200-\277][\200-\277]/) zh++
      if (index($3, "\357\277\275")) bad++ }
    END { printf "%-16s %8d %7d %6d %9d %8d %7d\n", name, problems, t, g, c, zh, bad }' "$out/$name.texts"
done
