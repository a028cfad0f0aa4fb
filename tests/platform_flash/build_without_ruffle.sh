#!/bin/sh
# A source tree without node_modules (npm ci never ran) does not configure: the message names
# Ruffle's missing files and the script that installs them. Usage: build_without_ruffle.sh SOURCE
work=$(mktemp -d) && trap 'rm -rf "$work"' EXIT
mkdir "$work/tree"
for entry in CMakeLists.txt src tools bench tests fuzz; do ln -s "$1/$entry" "$work/tree/"; done
if out=$(cmake -S "$work/tree" -B "$work/build" -G Ninja 2>&1); then echo "configured without Ruffle"; exit 1; fi
echo "$out" | tr -s ' \n' ' ' | grep -q "ruffle.js, core.ruffle.\*.js, \*.wasm. Install them with scripts/deps.sh" ||
  { echo "$out"; exit 1; }
