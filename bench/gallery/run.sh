#!/usr/bin/env bash
# The style gallery's figures: the composition alone (mellix-bench compose, 20 runs), then
# mellix-gallery on a private X server with a window manager (started and stopped by PID).
# Usage: bench/gallery/run.sh [mellix-gallery options]
set -euo pipefail
cd "$(dirname "$0")/../.."
work=$(mktemp -d /tmp/mellix-compose.XXXXXX)
source scripts/services.sh
trap 'stop_services; rm -rf "$work"' EXIT
cp -r build/spd build/spd_back "$work/"
times=()
for i in $(seq 20); do
  if ((i % 2)); then colour=FF0010; else colour=0000FF; fi
  times+=("$(build/mellix-bench compose "$work" sam 1 --button "$colour" | sed -n 's/^composed in \([0-9.]*\) ms$/\1/p')")
done
printf 'composition alone (mellix-bench compose, sam 1 with a button colour):'
printf ' %.0f' "${times[@]}"
printf ' ms (median %.1f ms)\n' "$(printf '%s\n' "${times[@]}" | sort -g | sed -n 10p)"
start_services
# The web engine refuses to start its sandbox as root.
if [ "$(id -u)" = 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
build/mellix-gallery "$@"
