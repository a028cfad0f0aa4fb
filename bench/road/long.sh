#!/usr/bin/env bash
# The road with the longest sound a movie holds, less a little: a 45-minute 128 kbit/s stereo
# MP3 (made once with sox and lame and kept in WORK_DIR), walked to a fixed button. Prints the
# Encode click to the finished movie on the finish page and the memory of all the program's
# processes against their targets. Usage: bench/road/long.sh [WORK_DIR] (default /tmp/mellix-long-road).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-/tmp/mellix-long-road}
mkdir -p "$work"
if [ ! -s "$work/long45.mp3" ]; then
  echo "making a 45-minute 128 kbit/s stereo MP3 with sox and lame ..."
  sox -n -r 44100 -c 2 -b 16 -t wav - synth 2700 pinknoise tremolo 2 40 2>/dev/null |
    lame --quiet -b 128 - "$work/long45.mp3.part"
  mv "$work/long45.mp3.part" "$work/long45.mp3"
fi
rm -f "$work/long45.swf"
"$root/bench/road/run.sh" --source "file:$work/long45.mp3" --style sam:1 --kind fixed \
  --save "$work/long45.swf" --out "$work/out" >/dev/null
awk '$1 == "encode_seconds" { printf "Encode to the finished movie: %s s  [target <= 2.5 s]\n", $2 }
     $1 == "pss_mb_max" { printf "memory: PSS %s MB over all processes at most  [target <= 600 MB]\n", $2 }' \
  "$work/out/times.txt"
