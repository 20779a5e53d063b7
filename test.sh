#!/usr/bin/env bash
# Sets up a fresh Debian/Ubuntu machine, builds, and runs every test.
set -euo pipefail
cd "$(dirname "$0")"
scripts/bootstrap
scripts/build
ctest --test-dir "${VARNOLL_BUILD_DIR:-build}" --output-on-failure --parallel 2
