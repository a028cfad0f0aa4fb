#!/usr/bin/env bash
# Installs what the tests need, builds everything, starts the private X server and
# PulseAudio, runs the fuzz targets briefly and every test, and stops the services.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
status=0
scripts/fuzz.sh 5 || status=1

source scripts/services.sh
trap stop_services EXIT
start_services

if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
# The test summary stays the last thing printed.
ctest --test-dir build --output-on-failure -j"$(nproc)" || status=1
exit $status
