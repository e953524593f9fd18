#!/usr/bin/env bash
# Builds the release archive with CPack and uses it as a user would: unpack it into a fresh
# folder, add the three data files, then run the command-line tool on an image and start the
# window program from there. The desktop entry, pointed at the folder with the README's command,
# must name the programs in it.
# Usage: check_release.sh BUILD_DIR VERSION_HEADER
set -euo pipefail
build=${1:?build folder}
. "$(dirname "$0")/common.sh"
version=$(version_from "${2:?version header}")
tmp=$(mktemp -d)
app=""
. "$(dirname "$0")/../support/xserver.sh"
cleanup() {
  [ -z "$app" ] || { kill -KILL "$app"; wait "$app"; } 2>/dev/null || true
  xserver_stop
  rm -rf "$tmp"
}
trap cleanup EXIT

name=stellmark-$version-linux-$(uname -m)
cpack -G TGZ --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack"; }
archive=$tmp/pkg/$name.tar.gz
[ -f "$archive" ] || fail "$name.tar.gz fehlt: $(ls "$tmp/pkg")"
# One folder holds everything, so unpacking never spills into the user's folder.
outside=$(tar tzf "$archive" | grep -v "^$name/" || true)
[ -z "$outside" ] || fail "außerhalb von $name/: $outside"

mkdir "$tmp/anywhere"
tar xzf "$archive" -C "$tmp/anywhere"
dir=$tmp/anywhere/$name
check_folder "$dir" "$version" "$tmp"
grep -q "_CPack_Packages" "$dir/stellmark.desktop" && fail "Starter nennt den Packordner"
entry=$(cd "$dir" && sed "s|@ORDNER@|$PWD|g" stellmark.desktop)
grep -qx "Exec=\"$dir/stellmark\" %f" <<<"$entry" || fail "Exec-Zeile nach dem Einsetzen des Ordners"
grep -qx "Icon=$dir/stellmark.svg" <<<"$entry" || fail "Icon-Zeile nach dem Einsetzen des Ordners"

cp "$build"/bin/{boot,2zu1,1zu2}.dat "$dir/"
"$build/bin/stellmark-demo" "$tmp/img" >/dev/null
[ "$("$dir/stellmark-cli" info "$tmp/img/demo_2x_ohne_bootloader.img" | head -n 1)" = "2x ohne Bootloader" ] ||
  fail "stellmark-cli info aus dem entpackten Ordner"

# The window program, with its lock and Qt's settings inside this check's folder.
mkdir -p "$tmp/run" "$tmp/home"
chmod 700 "$tmp/run"
export XDG_RUNTIME_DIR=$tmp/run HOME=$tmp/home XDG_CONFIG_HOME=$tmp/home/.config
if command -v Xvfb >/dev/null && command -v xdotool >/dev/null && command -v xauth >/dev/null; then
  # On a real X server the main window must appear: a missing data file or a failed start
  # would show a message box or nothing.
  xserver_start "$tmp" -screen 0 1024x768x24 || fail "kein X-Server"
  seen=""
  for attempt in 1 2; do
    (cd "$tmp" && unset QT_QPA_PLATFORM && exec "$dir/stellmark") >"$tmp/app.log" 2>&1 &
    app=$!
    for ((i = 0; i < 200; i++)); do
      kill -0 "$app" 2>/dev/null || break
      seen=$(for w in $(timeout 10 xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
               timeout 10 xdotool getwindowname "$w" 2>/dev/null; done)
      grep -qx "Stellmark" <<<"$seen" && break
      sleep 0.1
    done
    kill -0 "$app" 2>/dev/null && break
    [ "$attempt" = 1 ] && xserver_turned_away "$tmp/app.log" ||
      fail "Fenster-Programm beendet: $(cat "$tmp/app.log")$(printf "\n--- X-Server %s:\n" "$DISPLAY"; cat "$tmp/xvfb.log")"
    echo "Der X-Server hat das Fenster-Programm abgewiesen: zweiter Start"
  done
  grep -qx "Stellmark" <<<"$seen" || fail "kein Hauptfenster, sichtbar: '$seen'"
else
  echo "Xvfb oder xdotool fehlt: das Fenster-Programm läuft nur auf der offscreen-Plattform"
  (cd "$tmp" && QT_QPA_PLATFORM=offscreen exec "$dir/stellmark") >"$tmp/app.log" 2>&1 &
  app=$!
  sleep 2
  kill -0 "$app" 2>/dev/null || fail "Fenster-Programm beendet: $(cat "$tmp/app.log")"
fi
echo "Release-Archiv $name.tar.gz in Ordnung"
