#!/usr/bin/env bash
# Builds the Debian package from a build folder and uses it as a Debian user would: lintian
# without errors or warnings, the metadata validators on the packaged files, `apt-get install
# ./…deb`, both programs from /usr/bin (the window on its own X server), settings in the user's
# XDG folder, then `apt-get remove`, after which no file of the package is left.
# It installs into the running system: run it as root where that is wanted (the CI calls it), and
# not while a package named stellmark is installed.
# Usage: check_package.sh BUILD_DIR VERSION_HEADER
set -euo pipefail
build=${1:?build folder}
here=$(dirname "$0")
. "$here/common.sh"
version=$(version_from "${2:?version header}")
[ "$(id -u)" = 0 ] || fail "installiert ins System: nur als root"
dpkg-query -W -f='${Status}' stellmark 2>/dev/null | grep -q 'install ok installed' &&
  fail "ein Paket stellmark ist schon installiert"
tmp=$(mktemp -d)
app="" installed=""
. "$here/../support/xserver.sh"
cleanup() {
  [ -z "$app" ] || { kill -KILL "$app"; wait "$app"; } 2>/dev/null || true
  xserver_stop
  [ -z "$installed" ] || DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq stellmark >/dev/null 2>&1 || true
  rm -rf "$tmp"
}
trap cleanup EXIT

cpack -G DEB --config "$build/CPackConfig.cmake" -B "$tmp/pkg" >"$tmp/cpack.log" 2>&1 ||
  { cat "$tmp/cpack.log"; fail "cpack -G DEB"; }
deb=$tmp/pkg/stellmark_${version}_$(dpkg --print-architecture).deb
[ -f "$deb" ] || fail "$(basename "$deb") fehlt: $(ls "$tmp/pkg")"
dpkg-deb -f "$deb" Depends | grep -q 'libqt6widgets6' || fail "Depends ohne Qt: $(dpkg-deb -f "$deb" Depends)"

echo "--- Dateien im Paket"
dpkg-deb -c "$deb" | awk '{print $1, $6}' | tee "$tmp/contents"
echo "--- lintian"
lintian --display-info "$deb" 2>&1 | tee "$tmp/lintian.log" || true
! grep -E '^[EW]: ' "$tmp/lintian.log" >/dev/null || fail "lintian meldet Fehler oder Warnungen"

dpkg-deb -x "$deb" "$tmp/root"
share=$tmp/root/usr/share id=io.github.stellmark.Stellmark
appstreamcli validate --no-net "$share/metainfo/$id.metainfo.xml" || fail "AppStream-Metadaten"
desktop-file-validate "$share/applications/$id.desktop" || fail "Starter"
grep -qx "Icon=$id" "$share/applications/$id.desktop" || fail "Icon= nennt nicht $id"
[ -f "$share/icons/hicolor/scalable/apps/$id.svg" ] || fail "Symbol $id.svg fehlt"
for page in stellmark stellmark-cli; do
  mandoc -Tlint "$share/man/man1/$page.1.gz" || fail "Handbuchseite $page"
done
[ -f "$share/bash-completion/completions/stellmark-cli" ] || fail "Vervollständigung fehlt"

echo "--- Installieren"
DEBIAN_FRONTEND=noninteractive apt-get install -y -qq "$deb" >"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; fail "apt-get install"; }
installed=1
# A user of our own, with nothing but a home: the XDG variables unset, as on a fresh login.
home=$tmp/home
mkdir -p "$home" "$tmp/run"
chmod 700 "$tmp/run"
as_user() { env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$tmp/run" "$@"; }
[ "$(as_user stellmark-cli --version | head -n 1)" = "stellmark-cli $version" ] || fail "stellmark-cli --version"
# Without any display: answered before a window could be opened.
out=$(as_user stellmark --version) || fail "stellmark --version"
[ "$(head -n 1 <<<"$out")" = "stellmark $version" ] && grep -q "GPL" <<<"$out" || fail "stellmark --version: $out"
as_user stellmark --help | tail -n 1 | grep -q "https://" || fail "stellmark --help nennt keine Adresse für Fehler"

# The data files in the user's data folder, where an installed program looks for them.
mkdir -p "$home/.local/share/stellmark"
cp "$build"/bin/{boot,2zu1,1zu2}.dat "$home/.local/share/stellmark/"
command -v Xvfb >/dev/null && command -v xdotool >/dev/null || fail "Xvfb und xdotool fehlen"
xserver_start "$tmp" -screen 0 1024x768x24 || fail "kein X-Server"
(cd "$tmp" && exec env -i PATH=/usr/bin:/bin HOME="$home" XDG_RUNTIME_DIR="$tmp/run" DISPLAY="$DISPLAY" \
  XAUTHORITY="$XAUTHORITY" /usr/bin/stellmark) >"$tmp/app.log" 2>&1 &
app=$!
main=""
for ((i = 0; i < 300; i++)); do
  [ -z "$main" ] || break
  kill -0 "$app" 2>/dev/null || fail "Fenster-Programm beendet: $(cat "$tmp/app.log")"
  for w in $(timeout 10 xdotool search --onlyvisible --pid "$app" 2>/dev/null); do
    [ "$(timeout 10 xdotool getwindowname "$w" 2>/dev/null)" = Stellmark ] && main=$w
  done
  sleep 0.1
done
[ -n "$main" ] || fail "kein Hauptfenster"
# "Ende" ends the program the way a user does, and it keeps its settings then.
timeout 10 xdotool mousemove --window "$main" 364 302 click 1
for ((i = 0; i < 150; i++)); do kill -0 "$app" 2>/dev/null || break; sleep 0.1; done
wait "$app" || fail "Rückgabewert $? nach 'Ende'"
app=""
[ -s "$home/.config/stellmark/stellmark.ini" ] || fail "keine Einstellungen in ~/.config/stellmark: $(find "$home")"
[ ! -e /usr/bin/stellmark.ini ] || fail "Einstellungen neben dem Programm"
echo "Einstellungen in ~/.config/stellmark/stellmark.ini"
# The file type in the system's database: the four image classes are ours, no other .img is.
"$build/bin/stellmark-demo" "$tmp/img" >/dev/null
check_file_type /usr/share "$tmp/img"

echo "--- Entfernen"
DEBIAN_FRONTEND=noninteractive apt-get remove -y -qq stellmark >"$tmp/apt.log" 2>&1 ||
  { cat "$tmp/apt.log"; fail "apt-get remove"; }
installed=""
left=$(awk '$1 !~ /^d/ {print substr($2, 2)}' "$tmp/contents" | while read -r f; do [ ! -e "$f" ] || echo "$f"; done)
[ -z "$left" ] || fail "nach dem Entfernen noch da: $left"
for d in /usr/share/stellmark /usr/share/doc/stellmark; do [ ! -e "$d" ] || fail "$d noch da"; done
! grep -q "application/x-dbox2-image" /usr/share/mime/types || fail "Dateityp noch registriert"
echo "Debian-Paket $(basename "$deb") in Ordnung"
