#!/usr/bin/env bash
# Installs what is missing, builds Sondarium and starts it from the demo session's
# folder, so that the demo playlist's relative paths resolve.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh"
cd "$top/examples/demo" 2>/dev/null || cd "$top"
exec "$top/build/sondarium"
