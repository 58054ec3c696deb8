#!/usr/bin/env bash
# Installs what is missing, builds Sondarium with its tests and runs every test
# headless (CTest gives each test QT_QPA_PLATFORM=offscreen).
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$top/build"
cd "$top/build"
ctest --output-on-failure -j"$(nproc)"
