#!/usr/bin/env bash
# Installs what the program needs, builds it and starts the wizard.
set -euo pipefail
cd "$(dirname "$0")/.."
scripts/deps.sh
scripts/build.sh
if [ -x build/mellix ]; then
  if [ "$(id -u)" -eq 0 ]; then export QTWEBENGINE_DISABLE_SANDBOX=1; fi
  exec build/mellix
fi
echo "Built. The wizard (build/mellix) is not part of this version yet; build/mellix-bench runs the engine."
