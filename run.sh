#!/usr/bin/env bash
# Sets up a fresh Debian/Ubuntu machine, builds the application alone (the tests and
# benchmarks are ./test.sh's), and starts it. Without a display it renders the
# window's pages to pictures instead, with the snapshot tool built for that.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap --run
build_dir=${VARNOLL_BUILD_DIR:-build}
app="$build_dir/src/ui/varnoll"
snapshot="$build_dir/tests/varnoll-snapshot"

if [[ -n "${DISPLAY:-}" || -n "${WAYLAND_DISPLAY:-}" || "$(uname -s)" == "Darwin" ]]; then
  scripts/build varnoll
  exec "$app" "$@"
fi

scripts/build varnoll-snapshot
out=${VARNOLL_SNAPSHOT_DIR:-$PWD/snapshots}
echo "No display here (neither DISPLAY nor WAYLAND_DISPLAY is set), so the window cannot open."
echo "Rendering a tour of its pages under Xvfb into: $out"
xvfb-run -a -s "-screen 0 1920x1080x24" "$snapshot" --out "$out"
echo "Done: $(find "$out" -name '*.png' | wc -l) pictures in $out"
