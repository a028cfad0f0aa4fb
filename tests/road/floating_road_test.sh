#!/usr/bin/env bash
# The floating road end to end, through bench/road/run.sh as a user walks it: an MP3 to a wide
# player at the top right, a WAV to a square button at the top left. The movie at the save path
# must be what mellix-bench swf makes of the MP3 it was built from and the composed pieces; the
# clipboard must hold the step-6 code for the chosen corner, speed, size and path; the sample
# page, in Chromium with Ruffle, must float the movie to its corner once scrolled and play the tone.
set -uo pipefail
BUILD=${1:?build folder}
ROOT=$(cd "$(dirname "$0")/../.." && pwd)
WORK=$(mktemp -d /tmp/mellix-road-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL ($1): $2" >&2; failures=$((failures + 1)); }

sox -n -r 44100 -c 2 -b 16 "$WORK/a.wav" synth 3 sine 440 2>/dev/null
sox -n -r 22050 -c 2 -b 16 "$WORK/tone.wav" synth 3 sine 440 2>/dev/null
lame --quiet -b 128 "$WORK/a.wav" "$WORK/tone.mp3"

# source, style, corner, speed and its factor, size, the corner's offset (negative: from the right)
cases=("tone.mp3 sam:2 right 1 1; 150x54 -200" "tone.wav sin:1 left 3 0.07; 90x90 0")
for row in "${cases[@]}"; do
  read -r source style corner speed factor size x <<<"$row"
  out=$WORK/out-$source save=$WORK/saved-$source.swf
  MELLIX_BUILD=$BUILD "$ROOT/bench/road/run.sh" --source "file:$WORK/$source" --style "$style" --kind floating \
    --autoplay --corner "$corner" --speed "$speed" --size "$size" --save "$save" --out "$out" >"$WORK/$source.log" 2>&1
  status=$?
  if [ $status = 3 ] && grep -q 'no page "Step-3"' "$WORK/$source.log"; then
    echo "skipped: the wizard has no style gallery to walk through" >&2
    exit 77
  fi
  [ $status = 0 ] || { fail "$source" "the road did not reach a saved movie: $(tail -3 "$WORK/$source.log")"; continue; }
  cmp -s "$save" "$out/bench.swf" || fail "$source" "the saved movie differs from mellix-bench swf"
  "$BUILD/mellix-bench" page-code floating "$save" "${size%x*}" "${size#*x}" "$x;" "0;" "$factor" "$factor" |
    tr -d '\r' >"$WORK/code.txt"
  cmp -s "$WORK/code.txt" "$out/clipboard.txt" || fail "$source" "the clipboard is not the step-6 code"
  probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test.htm" scroll 2>&1)
  read -r left top width <<<"$(awk '/^corner / { print $2, $3, $4 }' <<<"$probe")"
  [ "${left:-}" = $((x < 0 ? ${width:-0} + x : 0)) ] && [ "${top:-}" = 0 ] ||
    fail "$source" "the scrolled page does not hold the movie at the $corner corner: $probe"
  hz=$(awk '/^hz / { print $2 }' <<<"$probe")
  awk -v f="${hz:-0}" 'BEGIN { exit !(f > 430 && f < 450) }' || fail "$source" "tone at ${hz:-none} Hz, not 440"
  echo "$source: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
