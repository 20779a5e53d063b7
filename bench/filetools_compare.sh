#!/usr/bin/env bash
# File-tools benchmark: varnoll-scan duplicates|space|largeFiles against jdupes, rdfind,
# fdupes, du and find on one generated tree (kept under /tmp, never in the repository).
# usage: bench/filetools_compare.sh [BUILD_DIR] [TREE] [ROUNDS]
set -euo pipefail
here=$(cd "$(dirname "$0")" && pwd)
build=${1:-$here/../build}
tree=${2:-/tmp/varnoll-bench-files/tree}
rounds=${3:-5}

missing=()
for tool in jdupes rdfind fdupes; do command -v "$tool" >/dev/null || missing+=("$tool"); done
[[ -x /usr/bin/time ]] || missing+=(time)
if ((${#missing[@]})); then
  apt-get update -qq && DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "${missing[@]}" >/dev/null
fi

if [[ ! -d $tree ]]; then
  echo "generating $tree" >&2
  python3 "$here/make_file_tree.py" "$tree" >/dev/null
fi
echo "tree: $(find "$tree" | wc -l) names, $(du -sb "$tree" | cut -f1) bytes; $(nproc) cores" >&2
python3 "$here/filetools_compare.py" "$build/src/cli/varnoll-scan" "$tree" "$rounds"
