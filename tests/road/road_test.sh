#!/usr/bin/env bash
# The fixed road walked by bench/road/run.sh for a tagged 44.1 kHz MP3, a 48 kHz MP3 and a WAV:
# the saved movie is mellix-bench swf's, the clipboard the code, and the sample page shows the
# movie at the chosen size playing the source's tone (Chromium with Ruffle).
set -uo pipefail
BUILD=${1:?build folder}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d /tmp/mellix-road-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL ($1): $2" >&2; failures=$((failures + 1)); }

sox -n -r 44100 -c 2 -b 16 "$WORK/a.wav" synth 3 sine 440 2>/dev/null
sox -n -r 48000 -c 2 -b 16 "$WORK/b.wav" synth 3 sine 440 2>/dev/null
sox -n -r 22050 -c 2 -b 16 "$WORK/tone.wav" synth 3 sine 440 2>/dev/null
lame --quiet -b 128 --add-id3v2 --tt Road "$WORK/a.wav" "$WORK/tagged.mp3"
lame --quiet -b 128 "$WORK/b.wav" "$WORK/high.mp3"

# source, style, size
cases=("tagged.mp3 sam:1 180x70" "high.mp3 sin:2 90x90" "tone.wav sam:3 200x73")
for row in "${cases[@]}"; do
  read -r source style size <<<"$row"
  out=$WORK/out-$source save=$WORK/saved-$source.swf
  MELLIX_BUILD=$BUILD timeout 300 "$ROOT/bench/road/run.sh" --source "file:$WORK/$source" --style "$style" --kind fixed \
    --autoplay --size "$size" --save "$save" --out "$out" >"$WORK/$source.log" 2>&1
  status=$?
  # A program without the style gallery yet cannot be walked past the source step.
  if [ $status = 3 ] && grep -q 'no page "Step-3"' "$WORK/$source.log"; then
    echo "skipped: the wizard has no style gallery to walk through" >&2
    exit 77
  fi
  if [ $status != 0 ]; then
    fail "$source" "the road did not reach a saved movie: $(tail -3 "$WORK/$source.log")"
    continue
  fi
  cmp -s "$save" "$out/bench.swf" || fail "$source" "the saved movie differs from mellix-bench swf"
  w=${size%x*} h=${size#*x}
  "$BUILD/mellix-bench" page-code fixed "$save" "$w" "$h" | tr -d '\r' >"$WORK/code.txt"
  cmp -s "$WORK/code.txt" "$out/clipboard.txt" || fail "$source" "the clipboard is not the code for $save at $size"
  probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test_fixed.htm" 2>&1)
  grep -qx "size $w $h" <<<"$probe" || fail "$source" "the sample page does not show the movie at $size: $probe"
  hz=$(awk '/^hz / { print $2 }' <<<"$probe")
  awk -v f="${hz:-0}" 'BEGIN { exit !(f > 430 && f < 450) }' || fail "$source" "tone at ${hz:-none} Hz, not 440"
  echo "$source: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
