#!/usr/bin/env bash
# Walks the wizard as a user does, from step 1 to the finished button, on a private X server:
# clicks at the controls' places (their twips rectangles), typing into boxes and the file
# dialog, and waits for each page by its window title. The program runs from a copy of build/
# in a fresh folder with a fresh HOME; nothing inside the program helps the walk.
#
#   bench/road/run.sh --source file:PATH|mic:SECONDS|speech:TEXT --style sam:N|sin:N
#                     [--colour SWATCH] [--background SWATCH]
#                     --kind fixed|floating [--autoplay] [--corner left|right] [--speed 1|2|3]
#                     [--size WxH] [--idle SECONDS] --save PATH --out DIR
#
# mic:SECONDS records a 1000 Hz tone of that length, played into the private PulseAudio's sink
# whose monitor is the microphone; speech:TEXT opens a browser window holding TEXT selected, picks
# "Default Voice" and fetches and speaks the selection.
# SWATCH is a swatch number of the gallery's palette (3 to 98). DIR receives a screenshot of
# every page passed (NN-<caption>.png), the sample page and its text copy, clipboard.txt (after
# Copy Code), pieces/ (the working pieces and the MP3 the movie was built from), bench.swf
# (mellix-bench swf on that MP3 and those pieces) and times.txt; the floating road adds
# float-before.png and float-after.png, the step-5 browser before and after the sample page was
# scrolled by the mouse wheel, and the time from a corner click to the page shown anew with the
# movie drawn (median of ten, mellix-clickwait). Exit 0 when the finish page appeared and the
# movie stands at the save path; 2 for what the walk cannot do yet; 3 when a page did not appear.
# MELLIX_BUILD=DIR walks another build folder; KEEP_LOG=FILE keeps what the program printed;
# THREADS_OUT=FILE appends each page's idle CPU per process and thread name to FILE.
# SMAPS_DIR=DIR keeps /proc/PID/smaps of every process of the program on the finish page.
# CLIPBOARD_KEEPER=PROGRAM runs that clipboard manager on the X server; DIR then receives
# clipboard-after.txt, the clipboard read once the program has ended, and times.txt the seconds
# from Finish to the program's end and how many of its helper processes outlived it.
set -euo pipefail
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
BUILD=${MELLIX_BUILD:-$ROOT/build}

SOURCE="" STYLE="" COLOUR="" BACKGROUND="" KIND="" AUTOPLAY=0 CORNER="" SPEED="" SIZE="" SAVE="" OUT=""
IDLE=1

usage() {
  sed -n '7,10p' "$0" | sed 's/^# *//' >&2
  exit 2
}

parse_args() {
  while [ $# -gt 0 ]; do
    case "$1" in
      --source) SOURCE=$2; shift ;;
      --style) STYLE=$2; shift ;;
      --colour) COLOUR=$2; shift ;;
      --background) BACKGROUND=$2; shift ;;
      --kind) KIND=$2; shift ;;
      --autoplay) AUTOPLAY=1 ;;
      --corner) CORNER=$2; shift ;;
      --speed) SPEED=$2; shift ;;
      --size) SIZE=$2; shift ;;
      --idle) IDLE=$2; shift ;;
      --save) SAVE=$2; shift ;;
      --out) OUT=$2; shift ;;
      *) usage ;;
    esac
    shift
  done
  [ -n "$SOURCE" ] && [ -n "$STYLE" ] && [ -n "$KIND" ] && [ -n "$SAVE" ] && [ -n "$OUT" ] || usage
  [[ "$STYLE" =~ ^(sam|sin):[1-6]$ ]] || { echo "--style: sam:1 to sam:6 or sin:1 to sin:6" >&2; exit 2; }
  [[ -z "$SIZE" || "$SIZE" =~ ^[0-9]+x[0-9]+$ ]] || { echo "--size: WxH, as 200x73" >&2; exit 2; }
  [[ "$IDLE" =~ ^[1-9][0-9]*$ ]] || { echo "--idle: whole seconds, as 10" >&2; exit 2; }
  [[ -z "$CORNER" || "$CORNER" =~ ^(left|right)$ ]] || { echo "--corner: left or right" >&2; exit 2; }
  [[ -z "$SPEED" || "$SPEED" =~ ^[123]$ ]] || { echo "--speed: 1, 2 or 3" >&2; exit 2; }
  case "$KIND" in
    fixed) ;;
    floating) ;;
    *) usage ;;
  esac
  case "$SOURCE" in
    file:*)
      SOURCE_FILE=$(realpath "${SOURCE#file:}")
      [ -f "$SOURCE_FILE" ] || { echo "no such file: $SOURCE_FILE" >&2; exit 2; }
      ;;
    mic:*)
      MIC_SECONDS=${SOURCE#mic:}
      [[ "$MIC_SECONDS" =~ ^[0-9]+(\.[0-9]+)?$ ]] || { echo "--source mic:SECONDS, as mic:3" >&2; exit 2; }
      ;;
    speech:?*) SPEECH_TEXT=${SOURCE#speech:} ;;
    *) usage ;;
  esac
  case "$SAVE" in /*) ;; *) SAVE=$PWD/$SAVE ;; esac
  # The wizard refuses a save folder that is missing and asks before replacing a file it did not
  # write: both would leave the walk waiting for the finish page, so they are told here.
  [ -d "$(dirname "$SAVE")" ] || { echo "--save: the folder $(dirname "$SAVE") does not exist" >&2; exit 2; }
  [ ! -e "$SAVE" ] || { echo "--save: $SAVE exists; the wizard would ask before replacing it" >&2; exit 2; }
  mkdir -p "$OUT/pieces"
  OUT=$(realpath "$OUT")
}

# ---- the machine: a private X server with a window manager, the program's own copy ----

WORK="" XVFB_PID="" OPENBOX_PID="" APP_PID="" PSS_PID="" PULSE_PID="" EDITOR_PID="" KEEPER_PID=""
SOURCE_FILE="" MIC_SECONDS="" SPEECH_TEXT=""

# The private X server with its window manager and the private PulseAudio of the tests.
source "$ROOT/scripts/services.sh"

# The clipboard manager asked for, once it owns its selection.
start_keeper() {
  [ -n "${CLIPBOARD_KEEPER:-}" ] || return 0
  "$CLIPBOARD_KEEPER" >"$WORK/keeper.log" 2>&1 &
  KEEPER_PID=$!
  for _ in $(seq 100); do grep -q ready "$WORK/keeper.log" && return 0; sleep 0.05; done
  echo "the clipboard manager did not start" >&2
  exit 3
}

# The program, Ruffle's files, the data tree and the pictures, copied so that build/ stays as built.
install_copy() {
  mkdir -p "$WORK/app" "$WORK/home"
  cp -a "$BUILD/mellix" "$BUILD/spd" "$BUILD/spd_back" "$BUILD/ruffle" "$BUILD/pictures" "$WORK/app/"
}

start_program() {
  (cd "$WORK/app" && HOME="$WORK/home" QTWEBENGINE_DISABLE_SANDBOX=1 exec ./mellix >"$WORK/mellix.log" 2>&1) &
  APP_PID=$!
  START=$(date +%s.%N)
  sample_pss &
  PSS_PID=$!
}

# The program and every process it started (the web engine's helpers).
program_pids() {
  local pids=$APP_PID queue=$APP_PID next
  while [ -n "$queue" ]; do
    next=""
    for p in $queue; do next="$next $(pgrep -P "$p" || true)"; done
    queue=$(echo $next)
    pids="$pids $queue"
  done
  echo $pids
}

# Largest PSS of all the program's processes together, in kB, sampled every 0.2 s.
sample_pss() {
  local max=0 sum
  while kill -0 "$APP_PID" 2>/dev/null; do
    sum=0
    for p in $(program_pids); do
      echo "$p" >>"$WORK/pids"
      sum=$((sum + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)))
    done
    [ "$sum" -gt "$max" ] && max=$sum && echo "$max" >"$WORK/pss_max"
    sleep 0.2
  done
}

# CPU of all the program's processes over `seconds` of idling, in percent of one core.
idle_cpu() {
  local seconds=$1 before after ticks
  ticks=$(getconf CLK_TCK)
  cpu_ticks() {
    local total=0
    for p in $(program_pids); do
      total=$((total + $(awk '{print $14 + $15}' "/proc/$p/stat" 2>/dev/null || echo 0)))
    done
    echo $total
  }
  [ -n "${THREADS_OUT:-}" ] && thread_ticks >"$WORK/threads-before"
  before=$(cpu_ticks)
  sleep "$seconds"
  after=$(cpu_ticks)
  [ -n "${THREADS_OUT:-}" ] && thread_ticks >"$WORK/threads-after" && thread_report "$seconds" "$ticks"
  echo $(((after - before) * 100 / ticks / seconds))
}

# THREADS_OUT=FILE: each page's idle CPU per thread (process name/thread name, % of one core).
thread_ticks() {
  local p t
  for p in $(program_pids); do
    for t in /proc/"$p"/task/*; do
      [ -r "$t/stat" ] || continue
      # The name may hold spaces: it stands between the first "(" and the last ")".
      awk -v pid="$p" -v tid="${t##*/}" -v pcomm="$(tr ' ' _ <"/proc/$p/comm" 2>/dev/null)" '{
        line = $0; lp = index(line, "("); rp = length(line)
        while (substr(line, rp, 1) != ")") rp--
        name = substr(line, lp + 1, rp - lp - 1); gsub(/ /, "_", name)
        split(substr(line, rp + 2), f, " ")
        print pid "/" tid, pcomm "/" name, f[12] + f[13]
      }' "$t/stat" 2>/dev/null
    done
  done
}

thread_report() {
  local seconds=$1 ticks=$2
  {
    echo "== ${IDLE_PAGE:-page}"
    awk -v s="$seconds" -v hz="$ticks" 'NR == FNR { b[$1] = $3; next }
      { d = $3 - b[$1]; if (d > 0) sum[$2] += d }
      END { for (n in sum) { printf "%6.1f %s\n", sum[n] * 100 / hz / s, n; t += sum[n] }
            printf "%6.1f total\n", t * 100 / hz / s }' \
      "$WORK/threads-before" "$WORK/threads-after" | sort -rn
  } >>"$THREADS_OUT"
}

stop_all() {
  for pid in "$PSS_PID" "$APP_PID" "$EDITOR_PID" "$KEEPER_PID"; do
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
  done
  # The web engine's helpers outlive a program that ends at once: each one seen, if it still
  # runs in the program's folder, is ended by its id.
  for pid in $(sort -u "$WORK/pids" 2>/dev/null); do
    [[ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" == "$WORK"/* ]] && kill "$pid" 2>/dev/null
  done
  for pid in "$PULSE_PID" "$OPENBOX_PID" "$XVFB_PID"; do
    if [ -n "$pid" ] && kill "$pid" 2>/dev/null; then wait "$pid" 2>/dev/null || true; fi
  done
  if [ -n "${KEEP_LOG:-}" ]; then cp "$WORK/mellix.log" "$KEEP_LOG" 2>/dev/null || true; fi
  [ -n "$WORK" ] && rm -rf "$WORK"
  return 0
}

# ---- what a user does: find a page, look at it, click, type ----

SHOT=0
PAGE_WINDOW="" PAGE_TITLE=""

# Waits up to `timeout` seconds for the visible window titled exactly `title`.
wait_page() {
  local title=$1 timeout=${2:-30} deadline
  deadline=$(($(date +%s) + timeout))
  while [ "$(date +%s)" -lt "$deadline" ]; do
    PAGE_WINDOW=$(xdotool search --onlyvisible --name "^${title}\$" 2>/dev/null | tail -1 || true)
    if [ -n "$PAGE_WINDOW" ]; then
      PAGE_TITLE=$title
      # As a person looks before clicking: the window manager has placed the page by then.
      sleep 0.5
      xdotool windowactivate --sync "$PAGE_WINDOW" 2>/dev/null || true
      return 0
    fi
    kill -0 "$APP_PID" 2>/dev/null || { echo "the program ended before \"$title\"" >&2; exit 1; }
    sleep 0.1
  done
  echo "no page \"$title\" after ${timeout}s" >&2
  exit 3
}

# The current page's window, found again by its title when the one found before is gone (a
# window can be made anew while its page sets up its movie views).
page_window() {
  xdotool getwindowname "$PAGE_WINDOW" >/dev/null 2>&1 || wait_page "$PAGE_TITLE" 5
}

# Screenshot of the current page as DIR/NN-<caption>.png.
shot() {
  local caption=$1
  page_window
  SHOT=$((SHOT + 1))
  import -window "$PAGE_WINDOW" "$OUT/$(printf '%02d' "$SHOT")-$caption.png"
}

# Clicks the middle of a control given by its twips rectangle within the page's client area
click() {
  local left=$1 top=$2 width=$3 height=$4
  page_window
  xdotool mousemove --window "$PAGE_WINDOW" $(((left + width / 2) / 15)) $(((top + height / 2) / 15)) click 1
  sleep 0.2
}

# Clicks an option button or a check box on its mark, at the left of its rectangle: only the
# mark and the caption take a click.
click_mark() {
  local left=$1 top=$2 height=$4
  page_window
  xdotool mousemove --window "$PAGE_WINDOW" $((left / 15 + 8)) $(((top + height / 2) / 15)) click 1
  sleep 0.2
}

# Replaces the text of the box at a twips rectangle with `text`.
type_into() {
  local text=$5
  click "$1" "$2" "$3" "$4"
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 2 -- "$text"
  sleep 0.2
}

# The file dialog that a page opens: the path typed into its name box, then Enter.
answer_file_dialog() {
  local path=$1 dialog="" page=$PAGE_WINDOW
  for _ in $(seq 300); do
    dialog=$(xdotool search --onlyvisible --name '^(Open|Save|Save As)$' 2>/dev/null | tail -1 || true)
    [ -n "$dialog" ] && break
    sleep 0.1
  done
  [ -n "$dialog" ] || { echo "no file dialog" >&2; return 1; }
  xdotool windowactivate --sync "$dialog" 2>/dev/null || true
  xdotool key --clearmodifiers ctrl+a
  xdotool type --delay 2 -- "$path"
  xdotool key Return
  while xdotool search --onlyvisible --name '^(Open|Save|Save As)$' >/dev/null 2>&1; do sleep 0.1; done
  PAGE_WINDOW=$page
}

# The page's CPU over --idle seconds (one unless given), once it has settled for a second.
idle_note() {
  sleep 1
  IDLE_PAGE=$1
  echo "idle_cpu_percent_$1 $(idle_cpu "$IDLE")" >>"$OUT/times.txt"
}

# PSS of all the program's processes together now, in MB.
pss_note() {
  local sum=0
  for p in $(program_pids); do
    sum=$((sum + $(awk '/^Pss:/ {print $2}' "/proc/$p/smaps_rollup" 2>/dev/null || echo 0)))
  done
  echo "pss_mb_$1 $((sum / 1024))" >>"$OUT/times.txt"
}

# Each of the program's processes on the page now: its kind (the program, or the web engine's
# --type), PSS, anonymous PSS and file PSS in kB, into pss-<page>.txt.
pss_breakdown() {
  local p kind
  for p in $(program_pids); do
    kind=$(tr '\0' '\n' <"/proc/$p/cmdline" 2>/dev/null | sed -n 's/^--type=//p' | head -1)
    [ -n "$kind" ] || kind=$(cat "/proc/$p/comm" 2>/dev/null || echo gone)
    awk -v pid="$p" -v kind="$kind" '/^Pss:/ { t = $2 } /^Pss_Anon:/ { a = $2 } /^Pss_File:/ { f = $2 }
      END { printf "%s %s pss_kb %d anon_kb %d file_kb %d\n", pid, kind, t, a, f }' \
      "/proc/$p/smaps_rollup" 2>/dev/null || true
  done >"$OUT/pss-$1.txt"
  if [ -n "${SMAPS_DIR:-}" ]; then
    mkdir -p "$SMAPS_DIR"
    for p in $(program_pids); do cp "/proc/$p/smaps" "$SMAPS_DIR/$1-$p.smaps" 2>/dev/null || true; done
  fi
}

median() { tr ' ' '\n' | grep . | sort -n | awk '{ v[NR] = $1 } END { print v[int((NR + 1) / 2)] }'; }

# ---- the pages, in the order of the road ----

step1() {
  wait_page "Step-1" 60
  sleep 1
  shot "Step-1"
  idle_note "Step-1"
  case "$SOURCE" in
    file:*) click_mark 3240 3840 255 735 ;;  # Option3: the file source
    mic:*) click_mark 3240 3120 255 735 ;;   # Option2: the microphone
    speech:*) click_mark 3240 2520 255 615 ;;  # Option1: speech
  esac
  click 3000 6480 1815 495  # Next >
}

# Records the tone from the microphone: Start Recording, the tone into the sink, Stop Recording.
microphone_page() {
  wait_page "Step-2"
  sox -n -r 44100 -c 2 -b 16 "$WORK/tone.wav" synth "$MIC_SECONDS" sine 1000 vol 0.5
  click 3000 3480 1455 975  # Start Recording
  sleep 0.5
  paplay "$WORK/tone.wav"
  sleep 0.5
  click 4440 3480 1335 975  # Stop Recording
  sleep 0.5
  cp "$WORK/app/spd/wvtemp/microphone.wav" "$OUT/pieces/source.wav"
  shot "Step-2"
  idle_note "Step-2"
  click 4440 6360 1815 495  # Next >
}

# A browser window holding the text, selected, as a user leaves it before turning to the page. The
# page's own select() only shows it: the browser offers as the selection what the user selects
# (Ctrl+A here).
open_editor() {
  local page=$WORK/notes.html
  {
    echo '<!DOCTYPE html><title>notes.txt</title><textarea id=t style="width:95%;height:90%">'
    sed 's/&/\&amp;/g; s/</\&lt;/g' <<<"$SPEECH_TEXT"
    echo '</textarea><script>onload = () => { t.focus(); t.select(); };</script>'
  } >"$page"
  chromium --no-sandbox --no-first-run --disable-gpu --user-data-dir="$WORK/chromium" \
    --window-size=600,400 --app="file://$page" >"$WORK/chromium.log" 2>&1 &
  EDITOR_PID=$!
  local editor=""
  for _ in $(seq 300); do
    editor=$(xdotool search --onlyvisible --name '^notes.txt' 2>/dev/null | tail -1 || true)
    [ -n "$editor" ] && break
    sleep 0.1
  done
  [ -n "$editor" ] || { echo "no browser window" >&2; exit 3; }
  sleep 1
  xdotool windowactivate --sync "$editor" 2>/dev/null || true
  sleep 0.5
  xdotool key ctrl+a
  sleep 0.5
}

# Default Voice, the text fetched from the browser window, spoken into the recording.
speech_page() {
  wait_page "Step-2"
  sleep 0.5
  local page=$PAGE_WINDOW
  click_mark 1800 2160 1575 315  # Option1: Default Voice
  open_editor                    # the user selects the text in another window
  xdotool windowactivate --sync "$page" 2>/dev/null || true
  PAGE_WINDOW=$page
  sleep 0.5
  click 1800 3540 1935 435  # Get Selected Text
  sleep 2
  click 1800 5280 1935 435  # Start Recording Text
  for _ in $(seq 600); do [ -f "$WORK/home/text.wav" ] && break; sleep 0.1; done
  [ -f "$WORK/home/text.wav" ] || { echo "nothing was recorded" >&2; exit 3; }
  sleep 0.5
  cp "$WORK/app/spd/wvtemp/text.wav" "$OUT/pieces/source.wav"
  shot "Step-2"
  idle_note "Step-2"
  click 4440 6360 1815 495  # Next >
}

file_page() {
  wait_page "Step-2"
  click 3720 2040 2655 615  # Open File
  answer_file_dialog "$SOURCE_FILE"
  sleep 0.5
  shot "Step-2"
  idle_note "Step-2"
  click 4440 6360 1815 495  # Next >
}

# The palette: swatch numbers by row, then column, of the left and the right container.
LEFT_SWATCHES="47 46 3 4 5 6 7 8 9 10 11 12 13 14 15 16 17 18 19 20 21 22 23 24 25 26 27 28 29 30 31 32 33 34 35 36 37 38 39 40 41 42 43 44 45 48 49 50"
RIGHT_SWATCHES="95 94 93 92 91 90 89 88 87 86 85 84 83 82 81 80 79 78 77 76 75 74 73 72 71 70 69 68 67 66 65 64 63 62 61 60 59 58 57 56 55 54 53 52 51 96 97 98"

click_swatch() {
  local number=$1 i=0 left
  for left in 2880 5400; do
    local list=$LEFT_SWATCHES
    [ "$left" = 5400 ] && list=$RIGHT_SWATCHES
    i=0
    for n in $list; do
      if [ "$n" = "$number" ]; then
        click $((left + 300 * (i % 8))) $((5880 + 300 * (i / 8))) 250 250
        return 0
      fi
      i=$((i + 1))
    done
  done
  echo "no swatch $number (3 to 98)" >&2
  return 1
}

# Style pictures within their gallery, which opens at 2640, 960 on the page.
SAM_PICTURES=("240 240 2175 975" "240 1440 2175 735" "240 2400 2655 855" "3840 240 2175 735" "3840 1200 2415 855" "3960 2280 2655 735")
SIN_PICTURES=("360 120 975 855" "360 1080 735 735" "360 2040 975 855" "1920 120 855 735" "1920 1080 975 855" "1920 2040 975 735")

gallery() {
  wait_page "Step-3"
  sleep 1
  local family=${STYLE%%:*} n=${STYLE#*:} place
  if [ "$family" = sin ]; then
    click_mark 2760 4920 255 375  # Option4: the single Play/Stop buttons
    place=(${SIN_PICTURES[$((n - 1))]})
  else
    place=(${SAM_PICTURES[$((n - 1))]})
  fi
  click $((2640 + place[0])) $((960 + place[1])) "${place[2]}" "${place[3]}"
  sleep 0.5
  [ -n "$COLOUR" ] && click_swatch "$COLOUR" && sleep 0.5
  if [ -n "$BACKGROUND" ]; then
    click_mark 2760 5280 255 375  # Option3: the background colour
    click_swatch "$BACKGROUND"
    sleep 0.5
  fi
  sleep 0.5
  shot "Step-3"
  idle_note "Step-3"
  click 4200 7800 1883 495  # Next >
}

choice() {
  wait_page "Step-4"
  if [ "$KIND" = floating ]; then
    click_mark 3720 3480 3495 495  # Option2: Floating Button
  else
    click_mark 3720 2640 3495 495  # Option1: Fixed Button
  fi
  sleep 0.3
  shot "Step-4"
  idle_note "Step-4"
  click 4440 6360 1815 495  # Next >
}

# After Copy Code on step page $1: keeps the clipboard, the page's picture and its idle CPU,
# then clicks Encode.
keep_and_encode() {
  sleep 0.3
  xclip -o -selection clipboard >"$OUT/clipboard.txt"
  shot "$1"
  idle_note "$1"
  ENCODE_START=$(date +%s.%N)
  click 4440 6360 1815 495  # Encode
}

fixed_step5() {
  wait_page "Step-5"
  sleep 0.5
  [ "$AUTOPLAY" = 1 ] && click_mark 2160 1800 2895 375  # Check1: Autoplay audio
  if [ -n "$SIZE" ]; then
    type_into 2160 2640 855 375 "${SIZE%x*}"  # Text3: width
    type_into 3360 2640 855 375 "${SIZE#*x}"  # Text4: height
    click 4440 2580 1215 495                  # Accept
  fi
  type_into 2160 3360 5175 375 "$SAVE"  # Text2: the save path
  click 8880 3960 1335 495              # Copy Code
  keep_and_encode "Step-5"
}

# The embedded browser of the floating step 5, as a picture.
browser_shot() {
  page_window
  import -window "$PAGE_WINDOW" -crop 482x368+232+84 +repage "$OUT/$1.png"
}

# From a click on a corner to the browser showing the page written anew with the movie drawn
# at that corner, ten times, corners taking turns; beside it, writing the sample page alone.
refresh_times() {
  local geometry X Y times="" written="" i t start
  page_window
  geometry=$(xwininfo -id "$PAGE_WINDOW")  # the client area's place on the screen
  X=$(awk '/Absolute upper-left X/ { print $4 }' <<<"$geometry")
  Y=$(awk '/Absolute upper-left Y/ { print $4 }' <<<"$geometry")
  local left=$((X + 237)) right=$((X + 232 + 482 - 85)) top=$((Y + 89))
  for i in $(seq 10); do
    if [ $((i % 2)) = 1 ]; then  # Option5 (top right), watched at the right edge
      t=$("$BUILD/mellix-clickwait" $((X + 32)) $((Y + 180)) "$right" "$top" 60 50) || t=""
    else  # Option4 (top left)
      t=$("$BUILD/mellix-clickwait" $((X + 32)) $((Y + 156)) "$left" "$top" 60 50) || t=""
    fi
    [ -n "$t" ] || { echo "the page did not show the movie at the corner" >&2; return 1; }
    times="$times $t"
    sleep 0.3
  done
  for i in $(seq 10); do
    start=$(date +%s%N)
    "$BUILD/mellix-bench" sample-page floating "$WORK/app/spd/temp.swf" 200 73 "-200;" "0;" "0.07;" "0.07;" \
      "$WORK/sample" >/dev/null
    written="$written $((($(date +%s%N) - start) / 1000000))"
  done
  echo "refresh_ms_median $(echo $times | median) (write_sample_ms_median $(echo $written | median))" \
    >>"$OUT/times.txt"
}

# The floating step 5: how long a change takes to show, then the corner, speed and size asked
# for, and the sample page before and after it scrolled by the mouse wheel.
floating_step5() {
  wait_page "Step-5"
  mkdir -p "$WORK/sample"
  click 240 6180 2940 495  # Command2: Refresh View/Show
  sleep 2
  refresh_times
  case "$CORNER" in
    left) click_mark 360 2190 240 300 ;;   # Option4
    right) click_mark 360 2550 240 300 ;;  # Option5
  esac
  case "$SPEED" in
    1) click_mark 360 3360 240 300 ;;  # Option1: at once
    2) click_mark 360 3720 240 300 ;;  # Option2
    3) click_mark 360 4080 240 300 ;;  # Option3: gliding
  esac
  if [ -n "$SIZE" ]; then
    type_into 1200 4890 840 330 "${SIZE%x*}"  # Text3: width
    type_into 1200 5310 840 330 "${SIZE#*x}"  # Text4: height
    click 2160 4890 960 750                   # Accept
  fi
  sleep 2
  shot "Step-5"
  browser_shot float-before
  page_window
  xdotool mousemove --window "$PAGE_WINDOW" 473 300 click --repeat 8 --delay 40 5  # wheel down
  sleep 3
  browser_shot float-after
  IDLE_PAGE=Step-5-floating
  echo "idle_cpu_percent_Step-5 $(idle_cpu $((IDLE > 3 ? IDLE : 3)))" >>"$OUT/times.txt"  # the page has settled
  pss_note "Step-5"
  click 6390 7050 1815 495  # Next >
}

step6() {
  wait_page "Step-6"
  [ "$AUTOPLAY" = 1 ] && click_mark 2160 1800 2895 375  # Check1: Autoplay Audio
  type_into 2160 2520 5175 375 "$SAVE"                  # Text1: the save path
  click 8880 3120 1335 495                              # Copy  Code
  keep_and_encode "Step-6"
}

# Waits for the finish page and for the finished movie to show in its control.
finish() {
  wait_page "Finish" 300
  local deadline=$(($(date +%s) + 30)) colours
  while [ "$(date +%s)" -lt "$deadline" ]; do
    colours=$(import -window "$PAGE_WINDOW" -crop 200x90+464+144 +repage -format %k info: 2>/dev/null || echo 0)
    [ "$colours" -gt 8 ] && break
    sleep 0.1
  done
  ENCODE_END=$(date +%s.%N)
  sleep 0.5  # the backdrop too
  shot "Finish"
  idle_note "Finish"
  pss_breakdown "Finish"
  local sample=test_fixed
  [ "$KIND" = floating ] && sample=test
  cp "$WORK/app/spd/web/$sample.htm" "$WORK/app/spd/web/$sample.txt" "$OUT/"
  cp "$WORK/app/spd/tp.spd" "$WORK/app/spd/middle.spd" "$WORK/app/spd/bottom.spd" "$OUT/pieces/"
  cp "$(built_mp3)" "$OUT/pieces/built.mp3"  # the program's working files go when it ends
  local clicked left=0
  clicked=$(date +%s.%N)
  click 4440 6360 1815 495  # Finish
  for _ in $(seq 100); do kill -0 "$APP_PID" 2>/dev/null || break; sleep 0.1; done
  [ -n "$KEEPER_PID" ] || return 0
  echo "end_seconds $(seconds_between "$clicked" "$(date +%s.%N)")" >>"$OUT/times.txt"
  xclip -o -selection clipboard >"$OUT/clipboard-after.txt" 2>/dev/null || true
  sleep 2  # the helpers' own time to go
  for pid in $(sort -u "$WORK/pids" 2>/dev/null); do
    [[ "$(readlink "/proc/$pid/cwd" 2>/dev/null)" == "$WORK"/* ]] && left=$((left + 1))
  done
  echo "helpers_left $left" >>"$OUT/times.txt"
}

# The MP3 that the movie was built from: the re-encoded or encoded file, else the source.
built_mp3() {
  local twav=$WORK/app/spd/twav
  if [ -f "$twav/temp_wav.mp3" ]; then
    echo "$twav/temp_wav.mp3"
  elif [[ -n "$SOURCE_FILE" && "$SOURCE_FILE" == *.wav ]]; then
    echo "$twav/tmp.mp3"
  else
    echo "$SOURCE_FILE"
  fi
}

seconds_between() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.2f", b - a }'; }

report() {
  local bench_start bench_end
  bench_start=$(date +%s.%N)
  "$BUILD/mellix-bench" swf "$OUT/pieces/built.mp3" "$OUT/pieces" "$OUT/bench.swf" 2>/dev/null
  bench_end=$(date +%s.%N)
  {
    echo "encode_seconds $(seconds_between "$ENCODE_START" "$ENCODE_END")"
    echo "bench_swf_seconds $(seconds_between "$bench_start" "$bench_end")"
    echo "total_seconds $(seconds_between "$START" "$ENCODE_END")"
    echo "pss_mb_max $(($(cat "$WORK/pss_max" 2>/dev/null || echo 0) / 1024))"
  } >>"$OUT/times.txt"
  cat "$OUT/times.txt"
}

main() {
  parse_args "$@"
  WORK=$(mktemp -d /tmp/mellix-road.XXXXXX)
  trap stop_all EXIT
  trap 'exit 143' TERM INT  # so that the exit trap ends what was started
  rm -f "$OUT"/[0-9][0-9]-*.png "$OUT/times.txt"
  start_display "$WORK" 120
  start_keeper
  [[ "$SOURCE" == mic:* ]] && start_sound "$WORK"
  install_copy
  start_program
  step1
  case "$SOURCE" in
    file:*) file_page ;;
    mic:*) microphone_page ;;
    speech:*) speech_page ;;
  esac
  gallery
  choice
  if [ "$KIND" = floating ]; then
    floating_step5
    step6
  else
    fixed_step5
  fi
  finish
  report
  [ -f "$SAVE" ] || { echo "no movie at $SAVE" >&2; exit 1; }
}

# Sourcing the script gives its functions alone (to walk a part of the road by hand).
if [ "${BASH_SOURCE[0]}" = "$0" ]; then main "$@"; fi
