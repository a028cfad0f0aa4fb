#!/usr/bin/env bash
# Builds the fuzz targets with clang (AddressSanitizer + UBSan) in build-fuzz/ and runs each
# for the given number of seconds (default 5) on its seed corpus.
#   scripts/fuzz.sh [SECONDS [WORKERS [TARGET...]]]
# WORKERS above 1 runs that many fuzzing processes of each target side by side on one shared
# corpus (a campaign); naming targets (movie_build, decoder, ...) runs only those. Each target
# ends with its executions and its coverage (the last cov:/ft: line of every process).
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-5}
workers=${2:-1}
shift $(($# > 2 ? 2 : $#))
ls fuzz/*_fuzz.cpp >/dev/null 2>&1 || exit 0
cmake -S . -B build-fuzz -G Ninja -DMELLIX_FUZZ=ON -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ >/dev/null
cmake --build build-fuzz -j"$(nproc)"
names=("$@")
if [ ${#names[@]} -eq 0 ]; then
  for src in fuzz/*_fuzz.cpp; do names+=("$(basename "$src" _fuzz.cpp)"); done
fi
binary_dir=$PWD/build-fuzz
for name in "${names[@]}"; do
  corpus=$(mktemp -d)
  logs=$(mktemp -d)
  [ -d "fuzz/corpus/$name" ] && cp -rL "fuzz/corpus/$name/." "$corpus/"
  echo "fuzz_$name: ${seconds}s x $workers"
  rc=0
  if [ "$workers" -gt 1 ]; then
    # Each job writes fuzz-N.log in the folder it starts in.
    (cd "$logs" && "$binary_dir/fuzz_$name" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 \
      -jobs="$workers" -workers="$workers" "$corpus" >/dev/null 2>&1) || rc=$?
    for log in "$logs"/fuzz-*.log; do
      echo "  $(basename "$log"): $(grep -E '^#[0-9]+' "$log" | tail -n 1)"
      grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$log" | sed 's/^/    /' || true
    done
  else
    "$binary_dir/fuzz_$name" -max_total_time="$seconds" -max_len=65536 -print_final_stats=1 "$corpus" \
      >"$logs/out.log" 2>&1 || rc=$?
    echo "  $(grep -E '^#[0-9]+' "$logs/out.log" | tail -n 1)"
    grep -E 'stat::number_of_executed_units|ERROR|SUMMARY' "$logs/out.log" | sed 's/^/  /' || true
  fi
  echo "  corpus: $(find "$corpus" -type f | wc -l) inputs"
  rm -rf "$corpus" "$logs"
  [ "$rc" -eq 0 ] || { echo "fuzz_$name failed"; exit 1; }
done
echo "fuzz: every target ran clean"
