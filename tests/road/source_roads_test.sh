#!/usr/bin/env bash
# The microphone and speech roads walked by bench/road/run.sh: the saved movie is mellix-bench
# swf's on the MP3 that Encode built from the recording, that MP3 decodes (ffmpeg) to sound of
# the recording's length, and the recorded tone plays at its pitch on the sample page (Chromium
# with Ruffle).
source "$(dirname "$0")/common.sh"
seconds() { ffprobe -v error -show_entries format=duration -of csv=p=0 "$1"; }

for source in "mic:3" "speech:Hello. This button speaks the text that was selected in another window."; do
  name=${source%%:*}
  out=$WORK/out-$name save=$WORK/saved-$name.swf
  walk "$name" --source "$source" --style sam:2 --kind fixed --autoplay --save "$save" --out "$out" || continue
  cmp -s "$save" "$out/bench.swf" || fail "$name" "the saved movie differs from mellix-bench swf"
  recorded=$(seconds "$out/pieces/source.wav")
  decoded=$(seconds "$out/pieces/built.mp3")
  awk -v r="$recorded" -v d="$decoded" 'BEGIN { exit !(r > 1 && d - r < 0.15 && r - d < 0.15) }' ||
    fail "$name" "the movie's sound lasts ${decoded} s, the recording ${recorded} s"
  if [ "$name" = mic ]; then
    probe=$(node "$ROOT/tests/road/sample_page.mjs" "$BUILD/ruffle" "$out/test_fixed.htm" 2>&1)
    tone_is "$name" 1000 "$probe"
  fi
  echo "$name: $(tr '\n' ' ' <"$out/times.txt")"
done
exit $((failures > 0))
