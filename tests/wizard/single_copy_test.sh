#!/usr/bin/env bash
# Two copies on one data folder, on an X server of its own: the second says so in a message box,
# ends at OK with status 1 and leaves the folder alone; a copy killed outright leaves no hold on
# it; SIGTERM ends a copy idle on step 1 as its close box does. Usage: single_copy_test.sh PROGRAM
source "$(dirname "$0")/../road/common.sh" "$(dirname "$(realpath "${1:?program}")")"
source "$ROOT/scripts/services.sh"
PIDS=()  # each copy leads a process group, ended at exit with the web engine's helpers
trap 'for pid in "${PIDS[@]}"; do kill -9 -- "-$pid" 2>/dev/null; done; stop_services; rm -rf "$WORK"' EXIT
start_display "$WORK"
mkdir "$WORK/app" "$WORK/home"
cp -a "$BUILD"/{mellix,spd,spd_back,ruffle,pictures} "$WORK/app/"

start_copy() {
  (cd "$WORK/app" && HOME="$WORK/home" QTWEBENGINE_DISABLE_SANDBOX=1 exec setsid ./mellix >>"$WORK/log" 2>&1) &
  PID=$!
  PIDS+=("$PID")
}
# window PID TITLE: a shown window of PID titled TITLE, within 20 s.
window() { timeout 20 xdotool search --sync --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1 | grep .; }
# ended PID STATUS: PID ends within 10 s with STATUS.
ended() { timeout 10 tail --pid="$1" -f /dev/null && { wait "$1"; [ $? -eq "$2" ]; }; }
snapshot() { (cd "$WORK/app/spd" && find . -printf '%p %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }

start_copy
first=$PID
window "$first" Step-1 >/dev/null || fail first "shows no step 1"
before=$(snapshot)
start_copy
if box=$(window "$PID" mellix); then
  xdotool windowactivate --sync "$box" key Return
  ended "$PID" 1 || fail second "did not end with status 1 at OK"
else
  fail second "shows no message box"
fi
[ "$(snapshot)" == "$before" ] || fail first "its data folder changed"

# Only the program is killed, as a crash ends it: its web engine's helpers outlive it a while.
kill -KILL "$first" && wait "$first" 2>/dev/null
start_copy
window "$PID" Step-1 >/dev/null || fail restart "a start after the first copy was killed shows no step 1"
kill -TERM "$PID"
ended "$PID" 0 || fail SIGTERM "a copy idle on step 1 did not end with status 0"
[ $failures -eq 0 ] || cat "$WORK/log"
exit $((failures > 0))
