#!/usr/bin/env bash
# End-to-end tests of the window program on a real X server, driven with xdotool the way a
# person uses it: pointer clicks, the combo's popup, typed paths in Qt's own file dialogs.
#
#   run_e2e.sh aktion BINDIR   build images through the dialogs, compare bytes, check the INI
#   run_e2e.sh fehler BINDIR   the image vanishes before Start: error dialogs and the .EPT log
#   run_e2e.sh signal BINDIR   SIGINT, SIGTERM, SIGHUP during a long copy: nothing left behind
#
# Exit codes: 0 passed, 1 failed, 77 skipped (no Xvfb or xdotool).
set -uo pipefail

CASE=${1:?Fall fehlt (aktion|fehler)}
BIN=${2:?Programmordner fehlt}
# The version as the build's generated header states it.
VERSION=$(sed -n 's/^#define STELLMARK_VERSION "\(.*\)"$/\1/p' "${STELLMARK_VERSION_HEADER:?}")
[ -n "$VERSION" ] || { echo "FEHLER: keine Version in $STELLMARK_VERSION_HEADER"; exit 1; }
. "$(dirname "$0")/../support/xserver.sh"
for tool in Xvfb xdotool xauth; do
  command -v "$tool" >/dev/null || { echo "SKIP: $tool ist nicht installiert"; exit 77; }
done

T0=$(date +%s)
TMP=$(mktemp -d "${TMPDIR:-/tmp}/stellmark-e2e.XXXXXX")
APPDIR=$TMP/app IMGDIR=$TMP/img OUTDIR=$TMP/out
APP="" WATCHDOG="" MAIN="" FAILED=0
SEP=$(printf -- '-%.0s' {1..70})
IND='          '  # the log's indent: ten spaces
TAB=$'\t'

log() { printf '[%3ds] %s\n' $(($(date +%s) - T0)) "$*"; }

cleanup() {
  trap - EXIT INT TERM
  if [ -n "$APP" ] && kill -0 "$APP" 2>/dev/null; then
    [ "$FAILED" = 1 ] && command -v import >/dev/null &&
      timeout 10 import -window root "$TMP/bildschirm.png" 2>/dev/null
    kill -KILL "$APP" 2>/dev/null
  fi
  xserver_stop
  [ -n "$WATCHDOG" ] && kill "$WATCHDOG" 2>/dev/null
  if [ "$FAILED" = 1 ]; then
    echo "--- Programmausgabe:"; cat "$TMP/app.log" 2>/dev/null
    echo "--- X-Server (${DISPLAY:-}):"; cat "$TMP/xvfb.log" 2>/dev/null
    echo "--- Dateien bleiben zur Ansicht in $TMP"
  else
    rm -rf "$TMP"
  fi
}
trap cleanup EXIT
trap 'echo "FEHLER: abgebrochen"; FAILED=1; exit 1' INT TERM

# Messages go to stderr: fail may run inside a command substitution.
fail() {
  FAILED=1
  { echo "FEHLER: $*"; echo "--- sichtbare Fenster:"; list_windows; } >&2
  exit 1
}

# A hung program must not keep the run waiting for CTest's timeout. The watchdog waits in a
# builtin on a FIFO, so no child of it outlives the run holding CTest's output pipe.
mkfifo "$TMP/wachhund"
( exec 9<>"$TMP/wachhund"; read -r -t 150 -u 9 || kill -TERM $$ ) >/dev/null 2>&1 &
WATCHDOG=$!

# --- X server and program --------------------------------------------------------------------

start_xvfb() {
  xserver_start "$TMP" -screen 0 1024x768x24 -dpi 96 || fail "kein X-Server"
}

start_app() {
  mkdir -p "$APPDIR" "$IMGDIR" "$OUTDIR" "$TMP/run" "$TMP/home"
  chmod 700 "$TMP/run"
  cp "$BIN/stellmark" "$BIN/1zu2.dat" "$BIN/2zu1.dat" "$BIN/boot.dat" "$APPDIR/" || fail "Kopieren"
  "$BIN/stellmark-demo" "$IMGDIR" >/dev/null || fail "stellmark-demo"
  # The real window system, not the test command's offscreen platform; the lock and Qt's own
  # settings stay inside the test's folder.
  local kind attempt
  for attempt in 1 2; do
    (
      unset QT_QPA_PLATFORM
      export XDG_RUNTIME_DIR=$TMP/run HOME=$TMP/home XDG_CONFIG_HOME=$TMP/home/.config
      # A background job starts with SIGINT ignored; the program is to meet it as from a terminal.
      cd "$TMP" && exec env --default-signal=INT "$APPDIR/stellmark"
    ) >"$TMP/app.log" 2>&1 &
    APP=$!
    read -r kind MAIN < <(wait_for 15 main) && break
    [ "$attempt" = 1 ] && ! kill -0 "$APP" 2>/dev/null && xserver_turned_away "$TMP/app.log" ||
      fail "Hauptfenster erscheint nicht"
    log "der X-Server hat das Programm abgewiesen: zweiter Start"
  done
  read_geometry "$MAIN"
  [ "$W_WIDTH x $W_HEIGHT" = "398 x 318" ] || fail "Hauptfenster ist ${W_WIDTH}x${W_HEIGHT}"
  log "Hauptfenster $MAIN bei $W_X,$W_Y"
}

# --- windows ---------------------------------------------------------------------------------

X() { timeout 10 xdotool "$@" 2>/dev/null; }
windows() { X search --onlyvisible --pid "$APP"; }
list_windows() {
  local w
  for w in $(windows); do echo "  $w '$(X getwindowname "$w")'"; done
}
read_geometry() {
  local k v
  W_X="" W_Y="" W_WIDTH="" W_HEIGHT=""
  while IFS='=' read -r k v; do
    case $k in X) W_X=$v ;; Y) W_Y=$v ;; WIDTH) W_WIDTH=$v ;; HEIGHT) W_HEIGHT=$v ;; esac
  done < <(X getwindowgeometry --shell "$1")
}

# Kind of a visible window: the dialogs by their titles, the combo's list by where it opens.
classify() {
  local name
  name=$(X getwindowname "$1") || return 1
  case $name in
    "Öffnen") echo open ;;
    "Speichern unter") echo save ;;
    *" - Fehlermeldung") echo error ;;
    "Stellmark")
      if [ -z "$MAIN" ]; then
        read_geometry "$1"
        [ "$W_WIDTH" = 398 ] && echo main || echo other
      elif [ "$1" = "$MAIN" ]; then
        echo main
      else
        # The list opens over the combo: its left edge and width are those of Combo1.
        local mx
        read_geometry "$MAIN"; mx=$W_X
        read_geometry "$1"
        [ "$W_WIDTH" = 253 ] && [ "$W_X" = $((mx + 76)) ] && echo popup || echo other
      fi ;;
    *) echo "other:$name" ;;
  esac
}

# wait_for SECONDS KIND... prints "kind id" of the first visible window of one of the kinds.
# An error dialog nobody expects ends the test at once.
wait_for() {
  local secs=$1 end w k want
  shift
  end=$(($(date +%s%N) + secs * 1000000000))
  while [ "$(date +%s%N)" -lt "$end" ]; do
    kill -0 "$APP" 2>/dev/null || { echo "FEHLER: Programm beendet" >&2; return 1; }
    for w in $(windows); do
      k=$(classify "$w") || continue
      for want; do
        [ "$k" = "$want" ] && { echo "$k $w"; return 0; }
      done
      if [ "$k" = error ] || [[ $k == other:*Mitteilung* ]]; then
        echo "FEHLER: unerwartetes Fenster '$(X getwindowname "$w")'" >&2
        return 1
      fi
    done
    sleep 0.1
  done
  echo "FEHLER: nach ${secs}s kein Fenster der Art: $*" >&2
  return 1
}

# wait_until SECONDS COMMAND...: polls the command until it succeeds.
wait_until() {
  local end=$(($(date +%s%N) + $1 * 1000000000))
  shift
  until "$@"; do
    [ "$(date +%s%N)" -lt "$end" ] || return 1
    sleep 0.1
  done
}
gone() { ! windows | grep -qx "$1"; }

click() { X mousemove --window "$MAIN" "$1" "$2" click 1; }
# Without a window manager focus does not follow a new dialog: pointer in, focus by hand.
focus() {
  local win=$1
  read_geometry "$win"
  X mousemove --window "$win" $((W_WIDTH / 2)) 12
  X windowfocus "$win"
  wait_until 5 eval '[ "$(X getwindowfocus)" = "$win" ] || { X windowfocus "$win"; false; }' ||
    fail "Fenster $win erhält den Fokus nicht"
}

# Types a full path into the file name field of a file dialog and accepts it. Alt+N (the
# field's label "Datei&name:") puts the cursor there even when a click on the blocked main
# window took the focus from it; ctrl+a replaces a proposed name.
type_file_name() {
  focus "$1"
  X key alt+n ctrl+a
  X type --delay 15 "$2"
  X key Return
}

# Client coordinates of the controls used (centres).
FILE_OPEN=(14 88) COMBO=(200 134) START=(364 134) ENDE=(364 302) TITLE=(200 40)

# Types a full path into a file dialog of the given kind and accepts it.
answer_file_dialog() {
  local kind=$1 path=$2 k w
  read -r k w < <(wait_for 20 "$kind") || fail "Dialog '$kind' fehlt"
  type_file_name "$w" "$path"
  wait_until 15 gone "$w" || fail "Dialog '$kind' nimmt '$path' nicht an"
}

open_image() {
  click "${FILE_OPEN[@]}"
  answer_file_dialog open "$1"
}

# Chooses entry N (0 = first) of the action list through its popup. The list opens only when
# the window is back in its event loop with a filled list, which also syncs with the program.
choose_action() {
  local k="" w i
  # A click that lands while a closing dialog still holds the pointer is lost: click again.
  for i in 1 2 3; do
    click "${COMBO[@]}"
    read -r k w < <(wait_for 7 popup 2>/dev/null) && break
  done
  [ "$k" = popup ] || fail "Aktionsliste öffnet nicht"
  X key Home
  for ((i = 0; i < $1; i++)); do X key Down; done
  X key Return
  wait_until 10 gone "$w" || fail "Aktionsliste schließt nicht"
}

end_program() {
  click "${ENDE[@]}"
  wait_until 15 eval '! kill -0 "$APP" 2>/dev/null' || fail "Programm endet nicht mit 'Ende'"
  wait "$APP"; local rc=$?
  APP=""
  [ "$rc" = 0 ] || fail "Rückgabewert $rc nach 'Ende'"
}

# --- files -----------------------------------------------------------------------------------

# Every line of the file ends in CR LF, the last one included.
check_crlf() {
  [ -s "$1" ] || fail "$1 fehlt oder ist leer"
  [ "$(tail -c 2 "$1" | od -An -tx1 | tr -d ' \n')" = 0d0a ] || fail "$1 endet nicht mit CR LF"
  local bare
  bare=$(grep -c -v $'\r$' "$1")
  [ "$bare" = 0 ] || fail "$1: $bare Zeile(n) ohne CR LF"
}

# INI beside the program: the section, then the four keys in this order.
check_ini() {
  local ini=$APPDIR/stellmark.ini lastdir=$1 x=$2 y=$3
  check_crlf "$ini"
  local expected got
  # Xvfb runs at 96 dpi: 15 twips to the pixel.
  expected=$(printf '%s\n' "[Settings]" "LastDir=$lastdir" "WindowTop=$((y * 15))" \
    "WindowLeft=$((x * 15))" "UseOnlyValidImages=1")
  got=$(tr -d '\r' <"$ini")
  [ "$got" = "$expected" ] || fail "stellmark.ini:"$'\n'"$got"$'\n'"erwartet:"$'\n'"$expected"
  log "stellmark.ini in Ordnung"
}

entry_count() {
  local c
  c=$(grep -c '^F E H L E R P R O T O K O L L vom Pannenbuch' "$1" 2>/dev/null)
  echo "${c:-0}"
}

# Checks every entry of the error log line by line; $2 = the missing file, named in the trace.
check_ept() {
  local ept=$1 missing=$2 n=0 i=0
  check_crlf "$ept"
  local -a L
  mapfile -t L < <(tr -d '\r' <"$ept")
  local sysname major minor patch pretty
  sysname=$(uname -s)
  [[ $(uname -r) =~ ^([0-9]+)(\.([0-9]+))?(\.([0-9]+))? ]]
  major=${BASH_REMATCH[1]} minor=${BASH_REMATCH[3]:-0} patch=$((${BASH_REMATCH[5]:-0} & 0xFFFF))
  pretty=$(. /etc/os-release 2>/dev/null && echo "${PRETTY_NAME:-}")

  at() { printf 'stellmark.EPT Zeile %d: ' $((i + 1)); }
  is() { [ "${L[i]-}" = "$1" ] || fail "$(at)'${L[i]-}' statt '$1'"; i=$((i + 1)); }
  like() { [[ ${L[i]-} =~ $1 ]] || fail "$(at)'${L[i]-}' passt nicht zu /$1/"; i=$((i + 1)); }

  while [ "$i" -lt "${#L[@]}" ]; do
    n=$((n + 1))
    is "$SEP"; is "F E H L E R P R O T O K O L L vom Pannenbuch"; is "$SEP"
    is "stellmark  V$VERSION - Fehlermeldung"; is "$SEP"
    is "FEHLERBESCHREIBUNG:"
    is "${IND}Fehler-Nr:${TAB}53 (Datei nicht gefunden)"
    like "^${IND}Modul:${TAB}[A-Za-z]+$"
    like "^${IND}Prozedur:${TAB}[A-Za-z_0-9]+$"
    like "^${IND}Zeilen-Nr\.:${TAB}[0-9]+$"
    like "^${IND}Datum/Uhrzeit:${TAB}([0-9]{2})-([0-9]{2})-([0-9]{4}) / ([0-9]{2}:[0-9]{2}:[0-9]{2})$"
    # mm-dd-yyyy: read back that way, the stamp must fall within this test's run.
    local t
    t=$(date -d "${BASH_REMATCH[3]}-${BASH_REMATCH[1]}-${BASH_REMATCH[2]} ${BASH_REMATCH[4]}" +%s) ||
      fail "Zeitstempel ungültig"
    [ "$t" -ge $((T0 - 1)) ] && [ "$t" -le $(($(date +%s) + 1)) ] ||
      fail "Zeitstempel ${L[i - 1]#*$TAB} liegt nicht in der Laufzeit des Tests"
    is "$SEP"
    is "CALLSTACK:"
    local first=$i
    while [ "$i" -lt "${#L[@]}" ] && [ "${L[i]}" != "$SEP" ]; do
      like "^${IND}([0-9]{2}:[0-9]{2}:[0-9]{2} \[[A-Za-z]+\] .+|${TAB}[^${TAB}]+:${TAB}.*)$"
    done
    [ $((i - first)) -ge 1 ] && [ $((i - first)) -le 40 ] ||
      fail "Eintrag $n: $((i - first)) Zeilen im Callstack"
    if [ "$n" = 1 ]; then
      # The first failure is the start click reading the vanished image.
      printf '%s\n' "${L[@]:first:i-first}" | grep -q "\] Private Sub cmdStart_Click()$" ||
        fail "Eintrag 1: cmdStart_Click fehlt im Callstack"
      [ "${L[first + 1]}" = "${IND}${TAB}strSource:${TAB}$missing" ] ||
        fail "Eintrag 1: '${L[first + 1]}' nennt nicht die fehlende Datei"
    fi
    is "$SEP"
    is "SYSTEMINFO:"
    is "${IND}Plattform:${TAB}$sysname"
    is "${IND}Version:${TAB}$major.$minor"
    is "${IND}Build:${TAB}$patch   $pretty"
    is "$SEP"
    is ""  # each entry is followed by an empty line
  done
  echo "$n"
}

# --- cases -----------------------------------------------------------------------------------

# Action list of a class-11 image (1x with boot loader), by position:
#   entry | name | data files written first | source from | source up to (empty: its end)
ACTIONS=(
  "0|1x ohne Bootloader erzeugen|2zu1.dat|0x40000|"
  "1|2x ohne Bootloader erzeugen|1zu2.dat|0x40000|"
  "2|2x mit Bootloader erzeugen|boot.dat 1zu2.dat|0x40000|"
  "3|1x extrahieren||0x20000|0x40000"
  "4|BR Bootloader extrahieren||0x0|0x20000"
)

expected_bytes() {
  local src=$1 files=$2 from=$3 to=$4 f
  for f in $files; do cat "$APPDIR/$f"; done
  if [ -n "$to" ]; then
    tail -c +$((from + 1)) "$src" | head -c $((to - from))
  else
    tail -c +$((from + 1)) "$src"
  fi
}

case_aktion() {
  local src=$IMGDIR/demo_1x_mit_bootloader.img row entry name files from to n=0
  start_app
  open_image "$src"
  for row in "${ACTIONS[@]}"; do
    IFS='|' read -r entry name files from to <<<"$row"
    n=$((n + 1))
    choose_action "$entry"
    click "${START[@]}"
    answer_file_dialog save "$OUTDIR/$n.img"
    expected_bytes "$src" "$files" "$from" "$to" >"$TMP/$n.erwartet"
    # The copy runs after the dialog has closed: poll until the file is complete.
    wait_until 20 cmp -s "$TMP/$n.erwartet" "$OUTDIR/$n.img" ||
      fail "'$name': $(cmp "$TMP/$n.erwartet" "$OUTDIR/$n.img" 2>&1)"
    log "'$name' ergibt die erwarteten $(stat -c %s "$OUTDIR/$n.img") Bytes"
  done

  # Move the window by its title, as a person would, so the INI shows the new place.
  read_geometry "$MAIN"
  local x0=$W_X y0=$W_Y
  X mousemove --window "$MAIN" "${TITLE[@]}" mousedown 1
  for _ in 1 2 3 4 5; do X mousemove_relative -- -10 -8; sleep 0.05; done
  X mouseup 1
  wait_until 10 eval 'read_geometry "$MAIN"; [ "$W_X,$W_Y" = "$((x0 - 50)),$((y0 - 40))" ]' ||
    fail "Fenster steht nach dem Ziehen bei $W_X,$W_Y statt $((x0 - 50)),$((y0 - 40))"
  local x=$W_X y=$W_Y
  end_program
  # Once more with the program gone: nothing was changed after the checks above.
  n=0
  for row in "${ACTIONS[@]}"; do
    n=$((n + 1))
    cmp "$TMP/$n.erwartet" "$OUTDIR/$n.img" || fail "Ausgabe $n nach dem Ende verändert"
  done
  [ ! -e "$APPDIR/stellmark.EPT" ] || fail "Fehlerprotokoll ohne Fehler: $(cat "$APPDIR/stellmark.EPT")"
  check_ini "$OUTDIR" "$x" "$y"
}

case_fehler() {
  local victim=$IMGDIR/verschwunden.img ept=$APPDIR/stellmark.EPT k w answered=0 saves=0 round
  local seen=()
  start_app
  read_geometry "$MAIN"
  local x=$W_X y=$W_Y
  cp "$IMGDIR/demo_1x_mit_bootloader.img" "$victim"
  open_image "$victim"
  choose_action 0  # returns only once the image is taken and the list filled
  rm "$victim"
  click "${START[@]}"
  # Each round ends with a look at the action list: it opens only when no dialog is pending.
  for ((round = 1; round <= 8; round++)); do
    if [ "$round" = 1 ]; then
      read -r k w < <(wait_for 20 error) || fail "keine Fehlermeldung nach Start"
    else
      click "${COMBO[@]}"
      read -r k w < <(wait_for 20 popup error save) || fail "weder Liste noch Dialog"
    fi
    seen+=("$k")
    case $k in
      popup)
        X key Escape
        wait_until 10 gone "$w" || fail "Aktionsliste schließt nicht"
        break ;;
      error)
        # The log entry is written before the dialog asks.
        [ "$(entry_count "$ept")" = $((answered + 1)) ] ||
          fail "$(entry_count "$ept") Einträge im Protokoll bei Fehlermeldung $((answered + 1))"
        focus "$w"
        X key alt+p
        answered=$((answered + 1))
        # The same dialog may come back at once for the next failure: a new entry shows that.
        wait_until 15 eval 'gone "$w" || [ "$(entry_count "$ept")" -gt "$answered" ]' ||
          fail "'Prozedur verlassen' schließt die Fehlermeldung nicht" ;;
      save)
        saves=$((saves + 1))
        type_file_name "$w" "$OUTDIR/verschwunden_$saves.img"
        wait_until 15 gone "$w" || fail "Speichern-Dialog schließt nicht" ;;
    esac
  done
  [ "${seen[-1]}" = popup ] || fail "nach 8 Dialogen noch kein Ende: ${seen[*]}"
  log "Dialogfolge: ${seen[*]}"
  kill -0 "$APP" 2>/dev/null || fail "Programm läuft nicht mehr"
  local left
  left=$(ls -A "$OUTDIR")
  [ -z "$left" ] || fail "Ausgabe trotz Fehler geschrieben: $left"
  local entries
  entries=$(check_ept "$ept" "$victim") || { FAILED=1; exit 1; }
  [ "$entries" = "$answered" ] || fail "$entries Einträge im Protokoll, $answered Fehlermeldungen"
  log "stellmark.EPT: $entries Einträge in Ordnung"
  end_program
  check_ini "$([ "$saves" -gt 0 ] && echo "$OUTDIR" || echo "$IMGDIR")" "$x" "$y"
}

# True while process $1 has a file open in folder $2: the output, which may have no name yet.
writing_into() { find "/proc/$1/fd" -lname "$2/*" 2>/dev/null | grep -q .; }

# A long expert cut of a large sparse file, interrupted by each signal once the output is being
# written: the program ends with 128 + the signal's number, leaves no file and writes no settings.
case_signal() {
  local big=$IMGDIR/gross.img ini=$APPDIR/stellmark.ini sig num rc k w
  for sig in INT TERM HUP; do
    num=$(kill -l "$sig")
    mkdir -p "$APPDIR" "$IMGDIR"
    printf '[Settings]\r\nUseOnlyValidImages=0\r\n' >"$ini"
    cp "$ini" "$TMP/ini.vorher"
    [ -e "$big" ] || truncate -s 1G "$big"
    MAIN=""
    start_app
    open_image "$big"
    choose_action 0  # with the check box off the expert entry is the only one
    click "${START[@]}"
    # The copy starts as the dialog closes, on the window's own thread: do not wait for it.
    read -r k w < <(wait_for 20 save) || fail "Speichern-Dialog fehlt"
    type_file_name "$w" "$OUTDIR/gross_$sig.img"
    wait_until 20 writing_into "$APP" "$OUTDIR" || fail "keine Ausgabe im Entstehen zu sehen"
    kill -"$sig" "$APP"
    wait "$APP"; rc=$?
    APP=""
    [ "$rc" = $((128 + num)) ] || fail "SIG$sig: Rückgabewert $rc statt $((128 + num))"
    [ -z "$(ls -A "$OUTDIR")" ] || fail "SIG$sig: zurückgeblieben: $(ls -A "$OUTDIR")"
    cmp -s "$ini" "$TMP/ini.vorher" || fail "SIG$sig: Einstellungen geschrieben"
    log "SIG$sig: Rückgabewert $rc, nichts zurückgeblieben"
  done
}

start_xvfb
case $CASE in
  aktion) case_aktion ;;
  fehler) case_fehler ;;
  signal) case_signal ;;
  *) fail "unbekannter Fall '$CASE'" ;;
esac
log "bestanden"
