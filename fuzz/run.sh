#!/usr/bin/env bash
# Builds the input fuzzer with clang's libFuzzer and sanitizers, then fuzzes for a few seconds.
# Usage: fuzz/run.sh BUILD_DIR [SECONDS]
set -euo pipefail
src=$(cd "$(dirname "$0")/.." && pwd)
build=${1:?build folder}
out=$build/fuzz
seconds=${2:-5}
mkdir -p "$out/corpus"
sources=("$src"/errors/{Failure,frmPanne,Proc,Program,TraceValue}.cpp "$src"/files/{wsFiles,BinaryFile}.cpp
         "$src"/core/modMain.cpp "$src"/operations/Actions.cpp "$src"/fuzz/inputs_fuzz.cpp)
headers=("$build"/generated/StellmarkVersion.h)
if [ ! -x "$out/inputs_fuzz" ] ||
   [ -n "$(find "${sources[@]}" "${headers[@]}" -newer "$out/inputs_fuzz" | head -n 1)" ]; then
  clang++ -std=c++20 -O1 -g -fsanitize=fuzzer,address,undefined -fno-sanitize-recover=undefined \
    -I"$src"/errors -I"$src"/files -I"$src"/core -I"$src"/operations -I"$build"/generated \
    "${sources[@]}" -o "$out/inputs_fuzz"
fi
for seed in "0x20000" "0x7E0000" "131072" " 42 " "2.5" "&h20000" "0XFF" "/x/base_2x.img" "a.b.c" "2x_and_2x"; do
  printf '%s' "$seed" > "$out/corpus/$(printf '%s' "$seed" | md5sum | cut -c1-16)"
done
"$out/inputs_fuzz" -max_total_time="$seconds" -max_len=256 "$out/corpus" 2>&1 | tail -n 3
