#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on its built-in demo: writes demo images of
# every class and says what each one is.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh" "$build"
"$build/bin/stellmark-demo" "$PWD/demo-images"
