#!/usr/bin/env bash
# Configures and builds into build/ (the program runs from there).
set -euo pipefail
cd "$(dirname "$0")/.."
launcher=()
# Work trees of one checkout share compiled objects through ccache when it is there.
if command -v ccache >/dev/null 2>&1; then
  launcher=(-DCMAKE_CXX_COMPILER_LAUNCHER=ccache -DCMAKE_C_COMPILER_LAUNCHER=ccache)
  export CCACHE_BASEDIR="$PWD"
fi
cmake -S . -B build -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo "${launcher[@]}" >/dev/null
cmake --build build -j"$(nproc)"
