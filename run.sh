#!/usr/bin/env bash
# Sets up a fresh Debian/Ubuntu machine, builds, and starts the application.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
scripts/build
build_dir=${VARNOLL_BUILD_DIR:-build}
if [[ -x "$build_dir/src/ui/varnoll" ]]; then
  exec "$build_dir/src/ui/varnoll" "$@"
fi
echo "The window is not built yet: this version has the core library and the model only."
echo "Try the scanner from the command line once it exists: $build_dir/src/cli/varnoll-scan --help"
