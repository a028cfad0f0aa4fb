#!/usr/bin/env bash
# Measures the source pages on a private X server and PulseAudio (started and stopped by PID).
# Usage: bench/sources/run.sh [SECONDS] [WORDS]
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/services.sh
trap stop_services EXIT
start_services
[ "$(id -u)" = 0 ] && export QTWEBENGINE_DISABLE_SANDBOX=1
build/mellix-sources "${1:-10}" "${2:-2000}"
