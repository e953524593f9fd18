#!/usr/bin/env bash
# Sets up, builds and runs the program's main job on its built-in demo: writes demo images of
# every class into ./demo-images and starts the window there, so that the first open dialog
# shows them. Without a display it runs the command-line demo instead.
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
"$here/scripts/setup.sh" "$build"
images="$PWD/demo-images"

if [ -z "${DISPLAY:-}" ] && [ -z "${WAYLAND_DISPLAY:-}" ]; then
  echo "Keine grafische Oberfläche gefunden (DISPLAY und WAYLAND_DISPLAY sind leer)."
  echo "Stattdessen läuft die Demo auf der Kommandozeile:"
  exec "$build/bin/stellmark-demo" "$images"
fi

test -x "$build/bin/stellmark"
# The demo writes the images (built from the data files beside the programs) and names them.
"$build/bin/stellmark-demo" "$images"
cd "$images"
exec "$build/bin/stellmark"
