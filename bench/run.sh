#!/usr/bin/env bash
# Times stellmark-cli against plain tools doing the same byte work, side by side in one run,
# and prints one ratio per question (ours / theirs; below 1 is faster than the plain tool):
#   info-leer     info on 100 images whose root area holds no CramFS, against sha256sum of them
#   info-cramfs   info on 100 images each with a real 5.9 MiB CramFS, against sha256sum of them
#   bauen         an 8 MiB image with boot loader, written and read back, against dd ×3, sync,
#                 a direct-I/O read back compared, mv
#   ausschneiden  the root area, against dd with 4096-byte blocks
#   fenster       the window from exec to mapped, against a bare Qt window (bench/window.sh)
# and the peak memory of a 512 MiB cut. Usage: bench/run.sh [BUILD_DIR] [RUNS]
set -euo pipefail
here=$(cd "$(dirname "$0")/.." && pwd)
build=${1:-$here/build}
runs=${2:-10}
bin=$build/bin
work=$(mktemp -d)
trap 'rm -rf "$work"' EXIT
echo "Kerne: $(nproc)"

"$bin/stellmark-demo" "$work/img" >/dev/null
src=$work/img/demo_1x_mit_bootloader.img
root_at=$((0x40000))

# A real CramFS of about 5.9 MiB: incompressible files, big-endian as the box wants it.
mkdir -p "$work/tree/bin"
head -c $((5900 * 1024)) /dev/urandom > "$work/tree/bin/daten"
echo "hallo" > "$work/tree/etc"
mkfs.cramfs -N big "$work/tree" "$work/root.cramfs" >/dev/null
with_cramfs=$work/with_cramfs.img
cp "$src" "$with_cramfs"
dd if="$work/root.cramfs" of="$with_cramfs" bs=4096 seek=$((root_at / 4096)) conv=notrunc status=none

# 100 distinct copies of each kind, all in the page cache like the plain tool's.
mkdir -p "$work/leer" "$work/cramfs"
for i in $(seq -w 1 100); do
  cp "$src" "$work/leer/$i.img"
  cp "$with_cramfs" "$work/cramfs/$i.img"
done
cat "$work"/leer/*.img "$work"/cramfs/*.img > /dev/null

# info takes several files where it can; otherwise one call per file, as a script would.
if "$bin/stellmark-cli" info "$src" "$src" >/dev/null 2>&1; then
  info() { echo "$bin/stellmark-cli info $1/*.img"; }
else
  info() { echo "for f in $1/*.img; do $bin/stellmark-cli info \$f; done"; }
fi

# Building: the pieces, then the like-for-like pipeline with read-back.
tail -c +$((0x40000 + 1)) "$src" > "$work/remainder"
build_cli="$bin/stellmark-cli run '2x mit Bootloader erzeugen' $src $work/cli.img --force --quiet"
# The plain pipeline: three dd, sync, the file read back past the cache and compared, mv.
build_dd="dd if=$bin/boot.dat of=$work/dd.tmp bs=4096 status=none && \
dd if=$bin/1zu2.dat of=$work/dd.tmp bs=4096 oflag=append conv=notrunc status=none && \
dd if=$work/remainder of=$work/dd.tmp bs=4096 oflag=append conv=notrunc status=none && \
sync $work/dd.tmp && \
cmp -s <(dd if=$work/dd.tmp iflag=direct bs=1M status=none) <(cat $bin/boot.dat $bin/1zu2.dat $work/remainder) && \
mv $work/dd.tmp $work/dd.img"
cut_cli="$bin/stellmark-cli run 'root [CramFS] extrahieren' $src $work/cli.root --force --quiet"
cut_dd="dd if=$src of=$work/dd.root bs=4096 skip=$((root_at / 4096)) count=$((0x600000 / 4096)) status=none"

pair() {  # name ours theirs -> json
  hyperfine --warmup 2 --runs "$runs" --export-json "$work/$1.json" -N \
    "bash -c \"$2\"" "bash -c \"$3\"" >/dev/null 2>&1
}
pair info-leer "$(info "$work/leer")" "sha256sum $work/leer/*.img > /dev/null"
pair info-cramfs "$(info "$work/cramfs")" "sha256sum $work/cramfs/*.img > /dev/null"
pair bauen "$build_cli" "$build_dd"
pair ausschneiden "$cut_cli" "$cut_dd"
cmp "$work/cli.img" "$work/dd.img"
cmp "$work/cli.root" "$work/dd.root"

# Memory stays constant: a 512 MiB cut.
head -c $((512 << 20)) /dev/zero > "$work/big.bin"
peak=$(/usr/bin/time -f '%M' "$bin/stellmark-cli" run bereich "$work/big.bin" "$work/big.out" --force --quiet \
  2>&1 >/dev/null | tail -n 1)
cmp "$work/big.bin" "$work/big.out"
rm -f "$work/big.bin" "$work/big.out"

python3 - "$work" "$peak" <<'PY'
import json, sys
work, peak = sys.argv[1], sys.argv[2]
for name, other in (("info-leer", "sha256sum"), ("info-cramfs", "sha256sum"),
                    ("bauen", "dd ×3 + sync + direkt gelesen + cmp + mv"),
                    ("ausschneiden", "dd bs=4096")):
    ours, theirs = json.load(open(f"{work}/{name}.json"))["results"]
    print(f"{name}: stellmark-cli {ours['median']*1000:.1f} ms, {other} {theirs['median']*1000:.1f} ms, "
          f"Verhältnis {ours['median']/theirs['median']:.2f}")
print(f"Spitzenspeicher beim Ausschneiden von 512 MiB: {int(peak)/1024:.1f} MiB")
PY

if [ -x "$here/bench/window.sh" ] && [ -x "$bin/stellmark-bench-bare" ]; then
  "$here/bench/window.sh" "$build" "$runs"
fi
