# A private X server for a test script, sourced by the scripts that drive the window program.
#
# The server gets a display number nobody uses (no lock file, no socket in the file system or
# in the abstract namespace), an authorization cookie of its own, and a client connection is
# tried before anyone relies on it. A client on a shared machine thus never reaches a foreign
# server by the same number, and a server that does not answer is replaced, up to three times.
#
#   xserver_start DIR [Xvfb options]   sets DISPLAY, XAUTHORITY and XSERVER_PID; 1 on failure
#   xserver_stop                       ends the server again
#   xserver_turned_away LOG            0 if a program's LOG says the server refused it while the
#                                      server still answers: a second start is then fair

XSERVER_PID=""

xserver_free_display() {
  local n tries
  for ((tries = 0; tries < 200; tries++)); do
    n=$((10 + RANDOM % 900))
    [ -e "/tmp/.X$n-lock" ] || [ -e "/tmp/.X11-unix/X$n" ] && continue
    grep -q "@/tmp/.X11-unix/X$n\$" /proc/net/unix 2>/dev/null && continue
    echo "$n"
    return 0
  done
  return 1
}

xserver_start() {
  local dir=$1 n fd attempt i
  shift
  export XAUTHORITY=$dir/Xauthority
  for attempt in 1 2 3; do
    n=$(xserver_free_display) || break
    : >"$XAUTHORITY"
    xauth -q -f "$XAUTHORITY" add ":$n" MIT-MAGIC-COOKIE-1 \
      "$(od -An -N16 -tx1 /dev/urandom | tr -d ' \n')" || return 1
    : >"$dir/display"
    exec {fd}>"$dir/display"
    # The server names its display on the descriptor once it accepts clients. Without
    # -noreset it resets when the trial client leaves, and a program connecting during the
    # reset is turned away (seen under load).
    Xvfb ":$n" -displayfd "$fd" -auth "$XAUTHORITY" -noreset -nolisten tcp "$@" >"$dir/xvfb.log" 2>&1 &
    XSERVER_PID=$!
    exec {fd}>&-
    for ((i = 0; i < 100; i++)); do
      [ -s "$dir/display" ] && break
      kill -0 "$XSERVER_PID" 2>/dev/null || break
      sleep 0.1
    done
    if [ -s "$dir/display" ] && DISPLAY=:$n timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1; then
      export DISPLAY=:$n
      return 0
    fi
    {
      echo "X-Server :$n antwortet nicht (Versuch $attempt):"
      sed 's/^/  /' "$dir/xvfb.log"
      ls -la /tmp/.X11-unix 2>&1 | sed 's/^/  /'
    } >&2
    xserver_stop
  done
  return 1
}

xserver_stop() {
  [ -n "$XSERVER_PID" ] || return 0
  kill "$XSERVER_PID" 2>/dev/null && wait "$XSERVER_PID" 2>/dev/null
  XSERVER_PID=""
  return 0
}

xserver_turned_away() {
  grep -q "could not connect to display" "$1" 2>/dev/null &&
    timeout 10 xdotool getdisplaygeometry >/dev/null 2>&1
}
