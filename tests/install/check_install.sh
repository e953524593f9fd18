#!/usr/bin/env bash
# Installs through DESTDIR into a fresh folder and checks that it is a program folder a user can
# start from: both programs, help, icon, file type and desktop entry; every file written lies
# under DESTDIR and is named in the install manifest; no placeholder data files, so that the
# command-line tool meets a new user with the missing-files message. The system form from the
# same build is checked by its list of files, the file type on images of each class.
# Usage: check_install.sh BUILD_DIR VERSION_HEADER
set -euo pipefail
build=${1:?build folder}
. "$(dirname "$0")/common.sh"
version=$(version_from "${2:?version header}")
tmp=$(mktemp -d)
trap 'rm -rf "$tmp"' EXIT
prefix=$tmp/Stellmark stage=$tmp/stage
DESTDIR=$stage cmake --install "$build" --prefix "$prefix" >/dev/null
[ ! -e "$prefix" ] || fail "an DESTDIR vorbei nach $prefix installiert"
# The manifest names the installed paths, without DESTDIR.
diff <(sed 's|/\./|/|g' "$build/install_manifest.txt" | sort) <(cd "$stage" && find . ! -type d | sed 's|^\.||' | sort) ||
  fail "install_manifest.txt nennt nicht genau die geschriebenen Dateien"

dir=$stage$prefix
check_folder "$dir" "$version" "$tmp"
# The entry names where the folder will be, not where DESTDIR put it.
grep -qx "Exec=\"$prefix/stellmark\" %f" "$dir/stellmark.desktop" || fail "Exec-Zeile falsch"
grep -qx "Icon=$prefix/stellmark.svg" "$dir/stellmark.desktop" || fail "Icon-Zeile falsch"

# Without data files: info still answers, the missing files are named once, the expert
# action works, every other action refuses.
cd "$dir"
head -c 1000 /dev/urandom > "$tmp/any.bin"
err=$(./stellmark-cli info "$tmp/any.bin" 2>&1 >/dev/null) && fail "info ohne Datendateien endet mit 0"
[ "$(grep -c 'fehlen die Datendateien' <<<"$err")" = 1 ] || fail "Hinweis auf fehlende Datendateien: $err"
./stellmark-cli run "Experte - auszulesenden Bereich angeben" "$tmp/any.bin" "$tmp/part" --start 10 --end 0x20 >/dev/null 2>&1
cmp "$tmp/part" <(tail -c +11 "$tmp/any.bin" | head -c 22) || fail "Expertenaktion falsch"
if ./stellmark-cli run "1x extrahieren" "$tmp/any.bin" "$tmp/x" 2>/dev/null; then fail "ohne Datendateien nicht abgelehnt"; fi
[ ! -e "$tmp/x" ] || fail "Ausgabe trotz Ablehnung"
# The system form from the same build: the GNU layout, and nothing of the portable folder.
DESTDIR=$tmp/sys cmake --install "$build" --component system --prefix /usr >/dev/null
diff <(cd "$tmp/sys" && find . ! -type d | sort) - <<'EOF' || fail "Dateien der Form für das System"
./usr/bin/stellmark
./usr/bin/stellmark-cli
./usr/share/applications/io.github.stellmark.Stellmark.desktop
./usr/share/bash-completion/completions/stellmark-cli
./usr/share/doc/stellmark/changelog.gz
./usr/share/doc/stellmark/copyright
./usr/share/icons/hicolor/scalable/apps/io.github.stellmark.Stellmark.svg
./usr/share/man/man1/stellmark-cli.1.gz
./usr/share/man/man1/stellmark.1.gz
./usr/share/metainfo/io.github.stellmark.Stellmark.metainfo.xml
./usr/share/mime/packages/io.github.stellmark.Stellmark.xml
./usr/share/stellmark/liesmich.txt
EOF

# The file type claims the four image classes and no other .img file.
"$build/bin/stellmark-demo" "$tmp/img" >/dev/null
check_file_type "$tmp/share" "$tmp/img"
echo "Installation in Ordnung"
