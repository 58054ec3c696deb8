#!/usr/bin/env bash
# Builds Sondarium into build/ (or the folder given as $1), reusing what is
# built already, and makes its Debian package there:
# build/sondarium_VERSION_ARCH.deb, for `sudo apt install ./sondarium_*.deb`.
set -euo pipefail
top="$(cd "$(dirname "$0")/.." && pwd)"
dir="${1:-$top/build}"
"$top/scripts/install-deps.sh"
"$top/scripts/build.sh" "$dir"
cd "$dir"
rm -f sondarium_*.deb
if ! cpack -G DEB >cpack.log 2>&1; then
  cat cpack.log >&2
  exit 1
fi
ls "$dir"/sondarium_*.deb
