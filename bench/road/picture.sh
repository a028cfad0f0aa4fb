#!/usr/bin/env bash
# The picture at the head of the README: walks the road with a three-second MP3 (made with sox
# and lame) to a fixed button and joins four of its screenshots (step 1, the style gallery, the
# fixed step 5, the finish page) into docs/road.jpg, two by two and scaled down with ImageMagick.
# Usage: bench/road/picture.sh [WORK_DIR] (default /tmp/mellix-road-picture).
set -euo pipefail
root=$(cd "$(dirname "$0")/../.." && pwd)
work=${1:-/tmp/mellix-road-picture}
rm -rf "$work/out" "$work/save" && mkdir -p "$work/save"
sox -n -r 44100 -c 2 -b 16 -t wav - synth 3 sine 440 vol 0.5 2>/dev/null |
  lame --quiet -b 128 - "$work/tone.mp3"
"$root/bench/road/run.sh" --source "file:$work/tone.mp3" --style sam:2 --kind fixed \
  --save "$work/save/MellixPlayer.swf" --out "$work/out" >/dev/null
shots=("$work"/out/01-Step-1.png "$work"/out/03-Step-3.png "$work"/out/05-Step-5.png
       "$work"/out/06-Finish.png)
montage "${shots[@]}" -resize 400x -tile 2x2 -geometry +4+4 -background '#c8ccd4' \
  -strip -quality 88 -sampling-factor 4:4:4 "$root/docs/road.jpg"
ls -l "$root/docs/road.jpg"
