#!/usr/bin/env bash
# One copy of the program works on a data folder at a time, on an X server of its own: a second
# copy started beside a running one shows its message box, ends at OK with status 1 and leaves
# the data folder as it was; once the first copy is killed outright, the next start shows step 1,
# and SIGTERM ends that copy, idle on step 1, as its close box does (status 0).
# Usage: single_copy_test.sh PROGRAM (its data tree, Ruffle and pictures beside it are copied)
set -uo pipefail
BUILD=$(dirname "$(realpath "${1:?program}")")
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
source "$ROOT/scripts/services.sh"
WORK=$(mktemp -d /tmp/mellix-single-copy.XXXXXX)
PIDS=()
cleanup() {
  for pid in "${PIDS[@]}"; do kill -9 "$pid" 2>/dev/null; done
  stop_services
  rm -rf "$WORK"
}
trap cleanup EXIT
failures=0
fail() { echo "FAIL: $1" >&2; failures=$((failures + 1)); }

SERVICES_DIR="$WORK/x"
mkdir -p "$SERVICES_DIR" "$WORK/app" "$WORK/home"
start_display "$SERVICES_DIR"
cp -a "$BUILD/mellix" "$BUILD/spd" "$BUILD/spd_back" "$BUILD/ruffle" "$BUILD/pictures" "$WORK/app/"

start_copy() {
  (cd "$WORK/app" && HOME="$WORK/home" QTWEBENGINE_DISABLE_SANDBOX=1 exec ./mellix >>"$WORK/log" 2>&1) &
  PID=$!
  PIDS+=("$PID")
}
# window PID TITLE: a shown window of PID titled TITLE appears within 20 s.
window() {
  for _ in $(seq 200); do
    xdotool search --all --onlyvisible --pid "$1" --name "^$2\$" 2>/dev/null | head -1 | grep . && return 0
    sleep 0.1
  done
  return 1
}
# ended PID STATUS: PID ends within 10 s with STATUS.
ended() {
  for _ in $(seq 100); do kill -0 "$1" 2>/dev/null || break; sleep 0.1; done
  kill -0 "$1" 2>/dev/null && return 1
  wait "$1"
  [ $? -eq "$2" ]
}
# descendants PID: the processes PID started (the web engine's helpers), and theirs.
descendants() {
  local p
  for p in $(pgrep -P "$1"); do echo "$p" && descendants "$p"; done
}
snapshot() { (cd "$WORK/app/spd" && find . -printf '%p %s %T@\n' | sort && find . -type f -exec md5sum {} + | sort); }

start_copy
first=$PID
window "$first" Step-1 >/dev/null || fail "the first copy shows no step 1"
before=$(snapshot)

start_copy
second=$PID
if box=$(window "$second" mellix); then
  xdotool search --all --pid "$second" --name '^Step-1$' >/dev/null && fail "the second copy shows step 1 too"
  xdotool windowactivate --sync "$box" key Return
  ended "$second" 1 || fail "the second copy did not end with status 1 at OK"
else
  fail "the second copy shows no message box"
fi
[ "$(snapshot)" == "$before" ] || fail "the first copy's data folder changed"
kill -0 "$first" 2>/dev/null || fail "the first copy ended"

# The web engine's helpers outlive the program for a while (a killed one the longest): the next
# start must not wait for them. They are ended at the end.
PIDS+=($(descendants "$first"))
kill -KILL "$first"
wait "$first" 2>/dev/null
start_copy
third=$PID
window "$third" Step-1 >/dev/null || fail "a start after the first copy was killed shows no step 1"
PIDS+=($(descendants "$third"))
kill -TERM "$third"
ended "$third" 0 || fail "SIGTERM on step 1 did not end the program with status 0"

[ -s "$WORK/log" ] && echo "the copies printed:" && cat "$WORK/log"
exit $((failures > 0))
