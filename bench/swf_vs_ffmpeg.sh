#!/usr/bin/env bash
# Times `mellix-bench swf` against ffmpeg's own SWF muxer on a 45-minute 128 kbit/s stereo MP3
# (about the longest sound a movie holds) and reports both peak memories.
# Usage: bench/swf_vs_ffmpeg.sh [WORK_DIR] (default /tmp/mellix-swf-bench).
# Needs sox, lame, ffmpeg, hyperfine and GNU time; the MP3 is made once and kept in WORK_DIR.
set -euo pipefail
root=$(cd "$(dirname "$0")/.." && pwd)
bench="$root/build/mellix-bench"
work=${1:-/tmp/mellix-swf-bench}
mkdir -p "$work/pieces"
cd "$work"

if [ ! -s long45.mp3 ]; then
  echo "making a 45-minute 128 kbit/s stereo MP3 with sox and lame ..."
  sox -n -r 44100 -c 2 -b 16 -t wav - synth 2700 pinknoise tremolo 2 40 2>/dev/null |
    lame --quiet -b 128 --tt Bench --ta Sox - long45.mp3.part
  mv long45.mp3.part long45.mp3
fi

# Minimal pieces: a 200 x 73 movie at 24 frames a second with a white background, a sprite
# with its sound slot and a frame label, and the PlaceObject2 / ShowFrame / End that close it.
printf '\x46\x57\x53\x06\x00\x00\x00\x00\x68\x00\x1f\x40\x00\x02\xda\x00\x00\x18\x01\x00\x43\x02\xff\xff\xff' >pieces/tp.spd
printf '\xff\x09\x00\x00\x00\x00\x01\x00\x01\x00\x00\x00\x00\x00\x00\x00\x00\x00\xc4\x0a\x73\x6e\x64\x00' >pieces/middle.spd
printf '\x85\x06\x02\x01\x00\x01\x00\x40\x00\x00\x00' >pieces/bottom.spd

echo "MP3: $(stat -c %s long45.mp3) bytes"
hyperfine -w 3 -r 30 -N \
  "$bench swf long45.mp3 pieces mellix.swf" \
  "ffmpeg -nostdin -v error -y -i long45.mp3 -c:a copy -f swf ffmpeg.swf"
[ -x /usr/bin/time ] || { echo "peak memory: needs GNU time (Debian package time)"; exit 0; }
for cmd in "$bench swf long45.mp3 pieces mellix.swf" "ffmpeg -nostdin -v error -y -i long45.mp3 -c:a copy -f swf ffmpeg.swf"; do
  /usr/bin/time -f '%M' -o peak.txt $cmd >/dev/null 2>&1
  echo "peak memory $(cat peak.txt) kB: $cmd"
done
