#!/usr/bin/env bash
# Runs mellix-startup on a private X server with a window manager (started and stopped by PID).
# Usage: bench/startup/run.sh [mellix-startup options]
set -euo pipefail
cd "$(dirname "$0")/../.."
source scripts/services.sh
trap stop_services EXIT
start_services
build/mellix-startup "$@"
