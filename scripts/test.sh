#!/usr/bin/env bash
# Sets up, builds and runs every test; ends with ctest's summary line.
# Usage: scripts/test.sh [BUILD_DIR [CMAKE_OPTIONS...]], e.g. the sanitizer run:
#   scripts/test.sh build-asan -DSTELLMARK_SANITIZE=ON
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true
"$here/scripts/setup.sh" "$build" "$@"
cd "$build"
# Undefined behaviour ends a sanitized test with a stack trace rather than a bare line.
export UBSAN_OPTIONS=${UBSAN_OPTIONS:-print_stacktrace=1}
QT_QPA_PLATFORM=offscreen ctest --output-on-failure -j"$(nproc)" --timeout 300
