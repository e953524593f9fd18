#!/usr/bin/env bash
# Times stellmark-cli against plain tools doing the same byte work, over repeated runs:
# building an 8 MiB image with boot loader against cat of the same pieces, and cutting the
# root area against dd with 4096-byte blocks. Prints the ratios and the peak memory of each.
# Usage: bench/run.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-30}
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT

"$bin/stellmark-demo" "$work/img" >/dev/null
src=$work/img/demo_1x_mit_bootloader.img
# The same pieces as the build action: boot.dat, 1zu2.dat, the body remainder at 0x40000.
tail -c +$((0x40000 + 1)) "$src" > "$work/remainder"

build_cli="$bin/stellmark-cli run '2x mit Bootloader erzeugen' $src $work/cli.img --force"
build_cat="cat $bin/boot.dat $bin/1zu2.dat $work/remainder > $work/cat.img"
cut_cli="$bin/stellmark-cli run 'root [CramFS] extrahieren' $src $work/cli.root --force"
cut_dd="dd if=$src of=$work/dd.root bs=4096 skip=$((0x40000 / 4096)) count=$((0x600000 / 4096)) status=none"

hyperfine --warmup 3 --runs "$runs" --export-json "$work/build.json" -N "bash -c \"$build_cli\"" "bash -c \"$build_cat\"" >/dev/null
hyperfine --warmup 3 --runs "$runs" --export-json "$work/cut.json" -N "bash -c \"$cut_cli\"" "bash -c \"$cut_dd\"" >/dev/null
cmp "$work/cli.img" "$work/cat.img"
cmp "$work/cli.root" "$work/dd.root"

peak() { /usr/bin/time -f '%M' bash -c "$1" 2>&1 >/dev/null | tail -n 1; }
python3 - "$work/build.json" "$work/cut.json" "$(peak "$build_cli")" "$(peak "$build_cat")" \
  "$(peak "$cut_cli")" "$(peak "$cut_dd")" <<'PY'
import json, sys
b, c = (json.load(open(p))["results"] for p in sys.argv[1:3])
mem = sys.argv[3:7]
for title, (ours, theirs), (m1, m2), other in (
        ("8 MiB image with boot loader", b, mem[0:2], "cat"),
        ("root area (6 MiB)", c, mem[2:4], "dd bs=4096")):
    print(f"{title}: stellmark-cli {ours['mean']*1000:.1f} ms ± {ours['stddev']*1000:.1f}, "
          f"{other} {theirs['mean']*1000:.1f} ms ± {theirs['stddev']*1000:.1f}, "
          f"ratio {ours['mean']/theirs['mean']:.2f}; peak memory {m1} KiB against {m2} KiB")
PY
