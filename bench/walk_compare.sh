#!/usr/bin/env bash
# Compares the shared walker with find and du on a warm cache: median wall time and
# median processor time (user + system) of 5 runs each.
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
echo "tree: $tree ($entries entries), load: $(cut -d' ' -f1-3 /proc/loadavg), $(nproc) cores"
# Warm the cache.
find "$tree" -printf '%s\n' >/dev/null; du -sb "$tree" >/dev/null

median() { sort -n | awk '{a[NR]=$1} END {print a[int((NR+1)/2)]}'; }
run5() { # prints "wall-ms cpu-ms", the medians of 5 runs of "$@"
  local walls=() cpus=() out stats
  stats=$(mktemp)
  for _ in 1 2 3 4 5; do
    /usr/bin/time -o "$stats" -f '%e %U %S' "$@" >/dev/null 2>&1
    out=$(tail -1 "$stats")
    walls+=("$(awk '{printf "%d", $1 * 1000}' <<<"$out")")
    cpus+=("$(awk '{printf "%d", ($2 + $3) * 1000}' <<<"$out")")
  done
  rm -f "$stats"
  echo "$(printf '%s\n' "${walls[@]}" | median) $(printf '%s\n' "${cpus[@]}" | median)"
}
row() { local name=$1; shift; read -r wall cpu <<<"$(run5 "$@")"; printf '%-26s %8s %8s\n' "$name" "$wall" "$cpu"; }

printf '%-26s %8s %8s\n' tool "wall ms" "cpu ms"
row "find -printf '%s\\n'" find "$tree" -printf '%s\n'
row "du -sb" du -sb "$tree"
row "varnoll-scan walk" "$build/src/cli/varnoll-scan" walk --dir "$tree"
for t in 1 2 4 6 8; do
  row "walk-bench ($t threads)" "$build/bench/walk-bench" "$tree" "$t"
done
