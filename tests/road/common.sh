# Sourced by the road tests: the build folder (first argument), a working folder removed at exit,
# failures counted by fail, the walk of bench/road/run.sh, and the tone a sample page plays.
set -uo pipefail
BUILD=${1:?build folder}
ROOT=$(cd "$(dirname "${BASH_SOURCE[0]}")/../.." && pwd)
WORK=$(mktemp -d /tmp/mellix-road-test.XXXXXX)
trap 'rm -rf "$WORK"' EXIT
failures=0
fail() { echo "FAIL ($1): $2" >&2; failures=$((failures + 1)); }

# walk NAME ARGS...: bench/road/run.sh with ARGS on this build, its output in $WORK/NAME.log;
# a road that does not reach a saved movie is a failure.
walk() {
  local name=$1
  shift
  MELLIX_BUILD=$BUILD timeout 300 "$ROOT/bench/road/run.sh" "$@" >"$WORK/$name.log" 2>&1 && return 0
  fail "$name" "the road did not reach a saved movie: $(tail -12 "$WORK/$name.log")"
  return 1
}

# tone_is NAME HZ PROBE: the pitch that sample_page.mjs heard (its "hz" line) is within 2 % of HZ.
tone_is() {
  local heard
  heard=$(awk '/^hz / { print $2 }' <<<"$3")
  awk -v f="${heard:-0}" -v want="$2" 'BEGIN { exit !(f > want * 0.98 && f < want * 1.02) }' ||
    fail "$1" "tone at ${heard:-none} Hz, not $2: $3"
}
