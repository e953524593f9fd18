# Shared by the install and release checks: sourced, not run.

fail() { echo "FEHLER: $*" >&2; exit 1; }

# version_from HEADER: the version the build's generated header states.
version_from() {
  local v
  v=$(sed -n 's/^#define STELLMARK_VERSION "\(.*\)"$/\1/p' "$1")
  [ -n "$v" ] || fail "keine Version in $1"
  echo "$v"
}

# check_folder DIR VERSION SCRATCH: a program folder as a user gets it, before adding data
# files; SCRATCH is an empty folder for the check's own files.
check_folder() {
  local dir=$1 version=$2 share=$3/share f type title
  for f in stellmark stellmark-cli liesmich.txt stellmark.svg stellmark.desktop stellmark-dbox2-image.xml \
           stellmark-cli.bash man/man1/stellmark-cli.1 man/man1/stellmark.1 LICENSE; do
    [ -e "$dir/$f" ] || fail "$f fehlt"
  done
  [ -x "$dir/stellmark" ] && [ -x "$dir/stellmark-cli" ] || fail "Programme nicht ausführbar"
  ls "$dir"/*.dat >/dev/null 2>&1 && fail "Platzhalter-Datendateien wurden mitgeliefert"
  [ "$("$dir/stellmark-cli" --version | head -n 1)" = "stellmark-cli $version" ] || fail "stellmark-cli --version"
  MANPAGER=cat man -l "$dir/man/man1/stellmark-cli.1" 2>/dev/null | grep -q "stellmark-cli - Flash-Images" ||
    fail "Handbuchseite nicht lesbar"
  mandoc -Tlint "$dir"/man/man1/*.1 || fail "Handbuchseiten nicht sauber (mandoc -Tlint)"
  grep -q "stellmark-cli" "$dir/liesmich.txt" || fail "liesmich.txt nennt die Kommandozeile nicht"
  title="Stellmark V $version"
  [ "$(head -n 2 "$dir/liesmich.txt")" = "$title"$'\n'"${title//?/=}" ] ||
    fail "Titel von liesmich.txt: $(head -n 2 "$dir/liesmich.txt")"
  grep -qx "X-Stellmark-Version=$version" "$dir/stellmark.desktop" || fail "Version im Starter"
  # The entry claims exactly the type the folder defines, and the type is known by its name.
  type=$(sed -n 's/.*<mime-type type="\([^"]*\)".*/\1/p' "$dir/stellmark-dbox2-image.xml")
  [ -n "$type" ] || fail "kein Dateityp in stellmark-dbox2-image.xml"
  grep -qx "MimeType=$type;" "$dir/stellmark.desktop" || fail "MimeType-Zeile passt nicht zu $type"
  # Registered the way the README tells a user to, in a private data folder.
  mkdir -p "$share/mime/packages"
  cp "$dir/stellmark-dbox2-image.xml" "$share/mime/packages/"
  XDG_DATA_HOME=$share update-mime-database "$share/mime" || fail "update-mime-database"
  grep -q "^\[80:$type\]" "$share/mime/magic" || fail "keine Signatur für $type in der MIME-Datenbank"
  # Answered without a display: no window is opened for them.
  [ "$(env -u DISPLAY -u QT_QPA_PLATFORM "$dir/stellmark" --version | head -n 1)" = "stellmark $version" ] ||
    fail "stellmark --version"
  env -u DISPLAY -u QT_QPA_PLATFORM "$dir/stellmark" --help | tail -n 1 | grep -q "^Fehler melden: <https://" ||
    fail "stellmark --help endet nicht mit der Adresse für Fehler"
}

# check_file_type SHARE IMAGES: with the type registered in SHARE/mime (check_folder), the four
# image classes in the folder IMAGES (stellmark-demo's) are D-Box2 images and no other .img is.
# Asked the way xdg-mime asks outside a desktop (`mimetype`, reading the database's magic at
# any offset) and the way GIO does (`gio info`, which sniffs only the first 4 KiB and so sees
# the signature only of images without boot loader).
check_file_type() {
  local share=$1 images=$2 type=application/x-dbox2-image f ours got
  # A file type sees bytes, not lengths: the demo's image one byte short still carries the
  # signature and is left out.
  rm -f "$images/demo_kein_image.img"
  head -c 8388608 /dev/urandom >"$images/zufall.img"
  head -c 8257536 /dev/zero >"$images/nullen.img"
  : >"$images/leer.img"
  for f in "$images"/*.img; do
    case $f in *_bootloader.img) ours=yes ;; *) ours=no ;; esac
    if command -v mimetype >/dev/null; then
      got=$(XDG_DATA_HOME=$share XDG_DATA_DIRS=$share:/usr/share mimetype --brief "$f")
      [ "$([ "$got" = "$type" ] && echo yes || echo no)" = $ours ] || fail "mimetype $(basename "$f"): $got"
    fi
    case $f in *_mit_bootloader.img) continue ;; esac
    got=$(XDG_DATA_HOME=$share XDG_DATA_DIRS=$share:/usr/share gio info -a standard::content-type "$f" |
          sed -n 's/^ *standard::content-type: //p')
    [ "$([ "$got" = "$type" ] && echo yes || echo no)" = $ours ] || fail "gio info $(basename "$f"): $got"
  done
}
