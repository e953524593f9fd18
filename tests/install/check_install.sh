#!/usr/bin/env bash
# Installs into a fresh folder and checks that it is a program folder a user can start from:
# both programs, help, icon and desktop entry, and no placeholder data files, so that the
# command-line tool meets a new user with the missing-files message.
set -euo pipefail
build=${1:?build folder}
dest=$(mktemp -d)
trap 'rm -rf "$dest"' EXIT
cmake --install "$build" --prefix "$dest/Stellmark" >/dev/null
cd "$dest/Stellmark"
fail() { echo "FEHLER: $*" >&2; exit 1; }
for f in stellmark stellmark-cli liesmich.txt stellmark.svg stellmark.desktop; do
  [ -e "$f" ] || fail "$f fehlt"
done
[ -x stellmark ] && [ -x stellmark-cli ] || fail "Programme nicht ausführbar"
ls ./*.dat >/dev/null 2>&1 && fail "Platzhalter-Datendateien wurden installiert"
grep -qx "Exec=\"$dest/Stellmark/stellmark\" %f" stellmark.desktop || fail "Exec-Zeile falsch"
grep -q "^MimeType=.*application/x-raw-disk-image" stellmark.desktop || fail "MimeType fehlt"
grep -q "^Icon=$dest/Stellmark/stellmark.svg$" stellmark.desktop || fail "Icon-Zeile falsch"

# Without data files: info still answers, the missing files are named once, the expert
# action works, every other action refuses.
head -c 1000 /dev/urandom > "$dest/any.bin"
err=$(./stellmark-cli info "$dest/any.bin" 2>&1 >/dev/null) && fail "info ohne Datendateien endet mit 0"
[ "$(grep -c 'fehlen die Datendateien' <<<"$err")" = 1 ] || fail "Hinweis auf fehlende Datendateien: $err"
./stellmark-cli run "Experte - auszulesenden Bereich angeben" "$dest/any.bin" "$dest/part" --start 10 --end 0x20 2>/dev/null
cmp "$dest/part" <(tail -c +11 "$dest/any.bin" | head -c 22) || fail "Expertenaktion falsch"
if ./stellmark-cli run "1x extrahieren" "$dest/any.bin" "$dest/x" 2>/dev/null; then fail "ohne Datendateien nicht abgelehnt"; fi
[ ! -e "$dest/x" ] || fail "Ausgabe trotz Ablehnung"
echo "Installation in Ordnung"
