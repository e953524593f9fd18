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
           stellmark-cli.bash man/man1/stellmark-cli.1; do
    [ -e "$dir/$f" ] || fail "$f fehlt"
  done
  [ -x "$dir/stellmark" ] && [ -x "$dir/stellmark-cli" ] || fail "Programme nicht ausführbar"
  ls "$dir"/*.dat >/dev/null 2>&1 && fail "Platzhalter-Datendateien wurden mitgeliefert"
  [ "$("$dir/stellmark-cli" --version | head -n 1)" = "stellmark-cli $version" ] || fail "stellmark-cli --version"
  MANPAGER=cat man -l "$dir/man/man1/stellmark-cli.1" 2>/dev/null | grep -q "stellmark-cli - Flash-Images" ||
    fail "Handbuchseite nicht lesbar"
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
  grep -qx "60:$type:\*.img" "$share/mime/globs2" || fail "*.img wird nicht $type zugeordnet"
}
