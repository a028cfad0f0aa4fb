#!/usr/bin/env bash
# The floating road through bench/road/run.sh: the saved movie is mellix-bench swf's, the clipboard
# the step-6 code, and the sample page in Chromium holds the movie at its corner once scrolled.
set -uo pipefail
BUILD=${1:?build folder}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d /tmp/mellix-road-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL ($1): $2" >&2; failures=$((failures + 1)); }
sox -n -r 22050 -c 2 -b 16 "$WORK/tone.wav" synth 3 sine 440 2>/dev/null
sox -n -r 44100 -c 2 -b 16 -t wav - synth 3 sine 440 2>/dev/null | lame --quiet -b 128 - "$WORK/tone.mp3"

# source, style, corner, speed and its factor, size, the corner's offset (negative: from the right)
for row in "tone.mp3 sam:2 right 1 1; 150x54 -200" "tone.wav sin:1 left 3 0.07; 90x90 0"; do
  read -r source style corner speed factor size x <<<"$row"
  out=$WORK/out-$source save=$WORK/saved-$source.swf
  MELLIX_BUILD=$BUILD timeout 300 "$ROOT/bench/road/run.sh" --source "file:$WORK/$source" --style "$style" \
    --kind floating --autoplay --corner "$corner" --speed "$speed" --size "$size" --save "$save" \
    --out "$out" >"$WORK/log" 2>&1; status=$?
  if [ $status = 3 ] && grep -q 'no page "Step-3"' "$WORK/log"; then
    echo "skipped: the wizard has no style gallery to walk through" >&2 && exit 77
  fi
  [ $status = 0 ] || { fail "$source" "no saved movie at the road's end: $(tail -12 "$WORK/log")"; continue; }
  cmp -s "$save" "$out/bench.swf" || fail "$source" "the saved movie differs from mellix-bench swf"
  "$BUILD/mellix-bench" page-code floating "$save" "${size%x*}" "${size#*x}" "$x;" "0;" "$factor" "$factor" |
    tr -d '\r' | cmp -s - "$out/clipboard.txt" || fail "$source" "the clipboard is not the step-6 code"
  probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test.htm" scroll 2>&1)
  read -r left top width <<<"$(awk '/^corner / { print $2, $3, $4 }' <<<"$probe")"
  [ "${left:-}" = $((x < 0 ? ${width:-0} + x : 0)) ] && [ "${top:-}" = 0 ] ||
    fail "$source" "the scrolled page does not hold the movie at the $corner corner: $probe"
  awk -v f="$(awk '/^hz / { print $2 }' <<<"$probe")" 'BEGIN { exit !(f > 430 && f < 450) }' ||
    fail "$source" "no 440 Hz tone: $probe"
  echo "$source: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
