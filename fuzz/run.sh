#!/usr/bin/env bash
# Builds a fuzzer with clang's libFuzzer and sanitizers, then fuzzes for a few seconds.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS] [TARGET]
#   TARGET inputs (default): expert input and output naming;
#   TARGET ini: the settings store, from the corpus in fuzz/corpus/ini with a fixed seed;
#   TARGET cramfs: the CramFS check, from real file systems in fuzz/corpus/cramfs.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
out=${1:?build folder}/fuzz
seconds=${2:-5}
target=${3:-inputs}
sources=("$src"/errors/{Failure,frmPanne,Pending,Proc,Program,TraceValue}.cpp "$src"/files/{wsFiles,BinaryFile}.cpp)
includes=(-I"$src"/errors -I"$src"/files)
case $target in
  inputs) sources+=("$src"/core/modMain.cpp "$src"/operations/Actions.cpp)
          includes+=(-I"$src"/core -I"$src"/operations) ;;
  ini) sources+=("$src"/files/{IniText,IniStore}.cpp) ;;
  cramfs) sources+=("$src"/core/modMain.cpp "$src"/operations/{Actions,CramfsCheck}.cpp)
          includes+=(-I"$src"/core -I"$src"/operations) ;;
  *) echo "unknown fuzz target: $target" >&2; exit 2 ;;
esac
sources+=("$src/fuzz/${target}_fuzz.cpp")
program=$out/${target}_fuzz
mkdir -p "$out"
if [ ! -x "$program" ] ||
   [ -n "$(find "${sources[@]}" "$src"/{errors,files,core,operations}/*.h -newer "$program" | head -n 1)" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    "${includes[@]}" "${sources[@]}" -lz -o "$program"
fi
case $target in
  inputs)
    mkdir -p "$out/corpus"
    for seed in "0x20000" "0x7E0000" "131072" " 42 " "2.5" "&h20000" "0XFF" "/x/base_2x.img" "a.b.c" "2x_and_2x"; do
      printf '%s' "$seed" > "$out/corpus/$(printf '%s' "$seed" | md5sum | cut -c1-16)"
    done
    "$program" -max_total_time="$seconds" -max_len=256 "$out/corpus" 2>&1 | tail -n 3 ;;
  ini)
    # New finds and crashes go to the build folder; the corpus in the repository is only read.
    # The scratch file lies in memory where there is such a folder: no waits for the disk.
    mkdir -p "$out/corpus-ini"
    if [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
    "$program" -seed=1 -max_total_time="$seconds" -timeout=10 -max_len=4096 -artifact_prefix="$out/" \
      "$out/corpus-ini" "$src/fuzz/corpus/ini" 2>&1 | tail -n 3 ;;
  cramfs)
    mkdir -p "$out/corpus-cramfs"
    "$program" -seed=1 -max_total_time="$seconds" -timeout=10 -max_len=16384 -artifact_prefix="$out/" \
      "$out/corpus-cramfs" "$src/fuzz/corpus/cramfs" 2>&1 | tail -n 3 ;;
esac
