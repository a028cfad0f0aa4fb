#!/usr/bin/env bash
# The fixed road walked by bench/road/run.sh for a tagged 44.1 kHz MP3, a 48 kHz MP3 and a WAV:
# the saved movie is mellix-bench swf's, the clipboard the code, and the sample page shows the
# movie at the chosen size playing the source's tone (Chromium with Ruffle). With a clipboard
# manager on the X server the code outlives the program, which ends at Finish with its helpers.
source "$(dirname "$0")/common.sh"
export CLIPBOARD_KEEPER=$BUILD/mellix-clipboard-keeper

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
  walk "$source" --source "file:$WORK/$source" --style "$style" --kind fixed --autoplay --size "$size" \
    --save "$save" --out "$out" || continue
  cmp -s "$save" "$out/bench.swf" || fail "$source" "the saved movie differs from mellix-bench swf"
  w=${size%x*} h=${size#*x}
  "$BUILD/mellix-bench" page-code fixed "$save" "$w" "$h" | tr -d '\r' >"$WORK/code.txt"
  cmp -s "$WORK/code.txt" "$out/clipboard.txt" || fail "$source" "the clipboard is not the code for $save at $size"
  cmp -s "$WORK/code.txt" "$out/clipboard-after.txt" || fail "$source" "the code left the clipboard with the program"
  awk '/^end_seconds/ { e = $2 } /^helpers_left/ { h = $2 } END { exit !(e < 5 && h == "0") }' "$out/times.txt" ||
    fail "$source" "the program did not end at Finish, or its helpers outlived it"
  probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test_fixed.htm" 2>&1)
  grep -qx "size $w $h" <<<"$probe" || fail "$source" "the sample page does not show the movie at $size: $probe"
  tone_is "$source" 440 "$probe"
  echo "$source: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
