#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (quietly, only what is missing),
# then configures and builds. Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev pkg-config
          qt6-base-dev qt6-translations-l10n libgl1-mesa-dev libsimpleini-dev
          xvfb xauth xdotool imagemagick hyperfine fonts-liberation2 fonts-dejavu-core
          fonts-lato)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if [ ${#missing[@]} -gt 0 ]; then
  sudo=""
  [ "$(id -u)" -eq 0 ] || sudo=sudo
  echo "Installiere: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# Only ninja's progress lines are dropped. A failed build fails the script (pipefail takes
# cmake's status); grep finding nothing left to print is no failure.
cmake --build "$build" -- -j"$(nproc)" | { grep -v -E '^\[[0-9]+/[0-9]+\] ' || true; }
test -x "$build/bin/stellmark-demo"
