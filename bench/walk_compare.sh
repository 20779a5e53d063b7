#!/usr/bin/env bash
# Compares the shared walker with find and du on a warm cache, median of 5 runs.
# usage: bench/walk_compare.sh BUILD_DIR [TREE_DIR]
set -euo pipefail
build=${1:?build dir}
tree=${2:-/tmp/varnoll-walk-bench}
here=$(cd "$(dirname "$0")" && pwd)
if [[ ! -d $tree ]]; then
  echo "generating $tree" >&2
  python3 "$here/make_tree.py" "$tree" >/dev/null
fi
entries=$(find "$tree" -mindepth 1 | wc -l)
echo "tree: $tree ($entries entries)"
# Warm the cache.
find "$tree" -printf '%s\n' >/dev/null; du -sb "$tree" >/dev/null

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
time_ms() { # runs "$@" and prints wall milliseconds
  local s e
  s=$(date +%s%N); "$@" >/dev/null; e=$(date +%s%N)
  echo $(((e - s) / 1000000))
}
run5() { for _ in 1 2 3 4 5; do time_ms "$@"; done | median; }

printf '%-28s %8s\n' tool "median ms"
printf '%-28s %8s\n' "find -printf '%s\\n'" "$(run5 find "$tree" -printf '%s\n')"
printf '%-28s %8s\n' "du -sb" "$(run5 du -sb "$tree")"
for t in 1 2 4 6 8; do
  printf '%-28s %8s\n' "walk-bench ($t threads)" "$(run5 "$build/bench/walk-bench" "$tree" "$t")"
done
