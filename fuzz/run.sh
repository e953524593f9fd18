#!/usr/bin/env bash
# Builds a fuzzer with clang's libFuzzer and sanitizers, then fuzzes a fixed number of inputs
# from a fixed seed and a fresh copy of its seed corpus, so that a failing run can be repeated
# exactly with the same arguments.
# Usage: fuzz/run.sh BUILD_DIR [TARGET] [RUNS] [SEED]   (SEED also from FUZZ_SEED; default 1)
#   TARGET inputs (default): expert input and output naming;
#   TARGET ini: the settings store, from the corpus in fuzz/corpus/ini;
#   TARGET cramfs: the CramFS check and full reader, from real file systems in fuzz/corpus/cramfs.
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
target=${2:-inputs}
runs=${3:-10000}
seed=${4:-${FUZZ_SEED:-1}}
out=$build/fuzz
# libFuzzer takes seed 0 as "pick one at random".
[[ $seed =~ ^[1-9][0-9]*$ ]] || { echo "FEHLER: SEED muss eine Zahl ab 1 sein" >&2; exit 2; }
sources=("$src"/errors/{Failure,frmPanne,Pending,Proc,Program,Places,TraceValue}.cpp "$src"/files/{wsFiles,BinaryFile,TempOutput,PieceWriter,Progress}.cpp)
case $target in
  inputs) sources+=("$src"/core/{modMain,DataFiles}.cpp "$src"/operations/*.cpp); max_len=256 ;;
  ini) sources+=("$src"/files/{IniText,IniStore}.cpp); max_len=4096 ;;
  cramfs) sources+=("$src"/core/{modMain,DataFiles}.cpp "$src"/operations/*.cpp); max_len=16384 ;;
  *) echo "FEHLER: unbekanntes Ziel '$target' (inputs, ini, cramfs)" >&2; exit 2 ;;
esac
sources+=("$src/fuzz/${target}_fuzz.cpp")
program=$out/${target}_fuzz
mkdir -p "$out"
if [ ! -x "$program" ] ||
   [ -n "$(find "${sources[@]}" "$src"/{errors,files,core,operations}/*.h "$build"/generated/*.h \
             -newer "$program" 2>/dev/null | head -n 1)" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src" -I"$build" \
    "${sources[@]}" -lz -o "$program"
fi
# libFuzzer adds what it finds to the corpus folder: start from the seeds alone every time.
corpus=$out/corpus-$target
rm -rf "$corpus" && mkdir "$corpus"
if [ "$target" = inputs ]; then
  for input in "0x20000" "0x7E0000" "131072" " 42 " "2.5" "&h20000" "0XFF" "/x/base_2x.img" "a.b.c" "2x_and_2x"; do
    printf '%s' "$input" > "$corpus/$(printf '%s' "$input" | md5sum | cut -c1-16)"
  done
else
  cp "$src/fuzz/corpus/$target"/* "$corpus/"
fi
# The settings fuzzer writes a scratch file per input: in memory where there is such a folder.
if [ "$target" = ini ] && [ -d /dev/shm ] && [ -w /dev/shm ]; then export TMPDIR=/dev/shm; fi
echo "Fuzzer $target: $runs Eingaben ab Startwert $seed (wiederholen: fuzz/run.sh BUILD $target $runs $seed)"
# Two things would still make a seed's run differ from one start to the next: mutations guided
# by recorded comparisons, whose table is indexed by code addresses that change with address
# space randomisation, and re-reading the corpus folder on a wall-clock interval. Both are off.
if "$program" -seed="$seed" -runs="$runs" -max_len="$max_len" -timeout=10 -use_cmp=0 -reload=0 \
     -artifact_prefix="$out/$target-" "$corpus" >"$out/$target.log" 2>&1; then
  tail -n 1 "$out/$target.log"
else
  cat "$out/$target.log"
  exit 1
fi
