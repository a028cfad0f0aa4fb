#!/usr/bin/env bash
# The floating road through bench/road/run.sh: the saved movie is mellix-bench swf's, the clipboard
# the step-6 code, and the sample page in Chromium holds the movie at its corner once scrolled.
source "$(dirname "$0")/common.sh"
sox -n -r 22050 -c 2 -b 16 "$WORK/tone.wav" synth 3 sine 440 2>/dev/null
sox -n -r 44100 -c 2 -b 16 -t wav - synth 3 sine 440 2>/dev/null | lame --quiet -b 128 - "$WORK/tone.mp3"

# source, style, corner, speed and its factor, size, the corner's offset (negative: from the right)
for row in "tone.mp3 sam:2 right 1 1; 150x54 -200" "tone.wav sin:1 left 3 0.07; 90x90 0"; do
  read -r source style corner speed factor size x <<<"$row"
  out=$WORK/out-$source save=$WORK/saved-$source.swf
  walk "$source" --source "file:$WORK/$source" --style "$style" --kind floating --autoplay --corner "$corner" \
    --speed "$speed" --size "$size" --save "$save" --out "$out" || continue
  cmp -s "$save" "$out/bench.swf" || fail "$source" "the saved movie differs from mellix-bench swf"
  "$BUILD/mellix-bench" page-code floating "$save" "${size%x*}" "${size#*x}" "$x;" "0;" "$factor" "$factor" |
    tr -d '\r' | cmp -s - "$out/clipboard.txt" || fail "$source" "the clipboard is not the step-6 code"
  probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test.htm" scroll 2>&1)
  read -r left top width <<<"$(awk '/^corner / { print $2, $3, $4 }' <<<"$probe")"
  [ "${left:-}" = $((x < 0 ? ${width:-0} + x : 0)) ] && [ "${top:-}" = 0 ] ||
    fail "$source" "the scrolled page does not hold the movie at the $corner corner: $probe"
  tone_is "$source" 440 "$probe"
  echo "$source: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
