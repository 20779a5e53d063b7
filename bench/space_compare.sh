#!/usr/bin/env bash
# The space scan against du and gdu on the same folders, warm cache: wall time and peak
# memory (median of RUNS runs each), and that the sizes agree with `du -sbl`.
# usage: bench/space_compare.sh BUILD_DIR DIR... (RUNS=5 by default)
set -euo pipefail
build=${1:?build dir}
shift
runs=${RUNS:-5}
bench=$build/bench/space-bench
export QT_QPA_PLATFORM=offscreen
times=$(mktemp)
trap 'rm -f "$times"' EXIT
median() { sort -n | awk '{ a[NR] = $1 } END { print a[int((NR + 1) / 2)] }'; }
# measure NAME COMMAND...: "NAME  wall-s  peak-MB", medians of $runs runs.
measure() {
  local name=$1 walls=() peaks=()
  shift
  for ((i = 0; i < runs; i++)); do
    /usr/bin/time -f '%e %M' -o "$times" "$@" >/dev/null 2>&1
    read -r wall peak <"$times"
    walls+=("$wall")
    peaks+=("$peak")
  done
  printf '%-28s %8s s %8.1f MB\n' "$name" "$(printf '%s\n' "${walls[@]}" | median)" \
    "$(printf '%s\n' "${peaks[@]}" | median | awk '{ print $1 / 1024 }')"
}
for dir in "$@"; do
  du -sbl "$dir" >/dev/null # warm the cache
  echo "== $dir ($(find "$dir" -mindepth 1 | wc -l) entries below it; load $(cut -d' ' -f1 /proc/loadavg))"
  measure "du -sbl" du -sbl "$dir"
  if command -v gdu >/dev/null; then
    measure "gdu -npa (non-interactive)" gdu -n -p -a --no-prefix "$dir"
  fi
  measure "space-bench scan" "$bench" scan "$dir"
  "$bench" scan "$dir" 2>/dev/null
  # The tree's total for the folder is what du counts for it, less the folder itself.
  echo "du -sbl total: $(du -sbl "$dir" | cut -f1) bytes, the folder's own entry $(stat -c %s "$dir")"
done
