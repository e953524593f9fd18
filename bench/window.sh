#!/usr/bin/env bash
# Times the window program's start against a bare Qt window of the same size, built in the same
# build: from exec to the first mapped window on a private X server, in pairs, and prints the
# medians and their ratio; beside them the processor time each used up to the map, which a busy
# machine disturbs far less than the wall time. The window runs from the build's folder of programs, with its data
# files beside it and no settings of a previous run.
# Usage: bench/window.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-20}
bin=$build/bin
for p in stellmark stellmark-bench-bare stellmark-bench-mapwait; do
  [ -x "$bin/$p" ] || { echo "window.sh: $bin/$p is missing; build first" >&2; exit 2; }
done
work=$(mktemp -d)
# shellcheck source=../tests/support/xserver.sh
. "$here/tests/support/xserver.sh"
trap 'xserver_stop; rm -rf "$work"' EXIT
xserver_start "$work" -screen 0 1024x768x24 || { echo "window.sh: no X server" >&2; exit 2; }
export QT_QPA_PLATFORM=xcb XDG_RUNTIME_DIR=$work
ini=$bin/Stellmark.ini
[ -e "$ini" ] && { echo "window.sh: $ini left by a run; remove it first" >&2; exit 2; }

clock() { "$bin/stellmark-bench-mapwait" 10000 "$1"; }
# One start each unmeasured: the first start of a program pays for cold caches.
clock "$bin/stellmark-bench-bare" >/dev/null
clock "$bin/stellmark" >/dev/null
: >"$work/bare"
: >"$work/window"
for ((i = 0; i < runs; i++)); do
  # Alternating who goes first, so that neither always follows the other.
  if ((i % 2)); then
    clock "$bin/stellmark" >>"$work/window"
    clock "$bin/stellmark-bench-bare" >>"$work/bare"
  else
    clock "$bin/stellmark-bench-bare" >>"$work/bare"
    clock "$bin/stellmark" >>"$work/window"
  fi
done
rm -f "$ini"

python3 - "$work/bare" "$work/window" "$runs" <<'PY'
import statistics, sys
(bw, bc), (ww, wc) = ([[int(v) / 1000 for v in col] for col in zip(*(l.split() for l in open(p)))]
                      for p in sys.argv[1:3])
m = statistics.median
print(f"window start (exec to mapped window, median of {sys.argv[3]}): stellmark {m(ww):.1f} ms, "
      f"bare Qt window {m(bw):.1f} ms, ratio {m(ww) / m(bw):.2f}; processor time stellmark "
      f"{m(wc):.1f} ms, bare {m(bc):.1f} ms, ratio {m(wc) / m(bc):.2f}")
PY
