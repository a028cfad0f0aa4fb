#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer + UBSan) in build-fuzz/ and runs each
# for the given number of seconds (default 5) on its seed corpus.
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
ls fuzz/*_fuzz.cpp >/dev/null 2>&1 || exit 0
cmake -S . -B build-fuzz -G Ninja -DMELLIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$(nproc)"
for src in fuzz/*_fuzz.cpp; do
  name=$(basename "$src" _fuzz.cpp)
  corpus=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -r "fuzz/corpus/$name/." "$corpus/"
  echo "fuzz_$name: ${seconds}s"
  build-fuzz/fuzz_"$name" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$corpus" 2>&1 | tail -n 3
  rc=${PIPESTATUS[0]}
  rm -rf "$corpus"
  [ "$rc" -eq 0 ] || { echo "fuzz_$name failed"; exit 1; }
done
echo "fuzz: every target ran clean"
