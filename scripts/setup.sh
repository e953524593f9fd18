#!/usr/bin/env bash
# Installs the Debian packages the build and the tests need (quietly, only what is missing),
# then configures and builds. Usage: scripts/setup.sh [build-dir] [extra cmake arguments...]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
shift || true

packages=(cmake ninja-build g++ clang libclang-rt-14-dev googletest libgtest-dev pkg-config
          qt6-base-dev qt6-translations-l10n libgl1-mesa-dev nlohmann-json3-dev zlib1g-dev util-linux groff-base man-db locales
          xvfb xauth xdotool libx11-dev imagemagick hyperfine fonts-liberation2 fonts-dejavu-core
          fonts-lato acl attr fusefat dosfstools
          dpkg-dev lintian appstream desktop-file-utils mandoc shared-mime-info libglib2.0-bin
          libfile-mimeinfo-perl lld)
missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
sudo=""
[ "$(id -u)" -eq 0 ] || sudo=sudo
if [ ${#missing[@]} -gt 0 ]; then
  echo "Installiere: ${missing[*]}"
  $sudo apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $sudo apt-get install -y -qq --no-install-recommends "${missing[@]}" >/dev/null
fi

# The window's tests run under the users' everyday locale, which glibc knows only once generated.
if ! locale -a 2>/dev/null | grep -qix 'de_DE\.utf-\?8'; then
  echo "Erzeuge die Locale de_DE.UTF-8"
  if grep -q '^# *de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    $sudo sed -i 's/^# *\(de_DE\.UTF-8 UTF-8\)/\1/' /etc/locale.gen
  elif ! grep -q '^de_DE\.UTF-8 UTF-8' /etc/locale.gen; then
    echo 'de_DE.UTF-8 UTF-8' | $sudo tee -a /etc/locale.gen >/dev/null
  fi
  $sudo locale-gen >/dev/null
fi

cmake -S "$here" -B "$build" -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "$@" >/dev/null
# Only ninja's progress lines are dropped. A failed build fails the script (pipefail takes
# cmake's status); grep finding nothing left to print is no failure.
cmake --build "$build" -- -j"$(nproc)" | { grep -v -E '^\[[0-9]+/[0-9]+\] ' || true; }
test -x "$build/bin/stellmark-demo"
