#!/usr/bin/env bash
# Installs what Sondarium needs to build, run and test on Debian 12.
# Safe to run again: apt-get only installs what is missing.
set -euo pipefail
SUDO=""
if [ "$(id -u)" -ne 0 ]; then SUDO="sudo"; fi
PKGS=(build-essential cmake pkg-config qt6-base-dev qt6-base-dev-tools libfontconfig-dev libasound2-dev libasound2-plugins
      libjack-jackd2-dev jackd2 libsoxr-dev
      pipewire pipewire-jack pipewire-bin wireplumber dbus
      libgtest-dev googletest libboost-math-dev qt6-svg-dev libebur128-dev fonts-liberation fonts-dejavu-core clang libclang-rt-14-dev)
# The Debian package: made by CPack with dpkg-shlibdeps, checked by lintian,
# the menu entry and AppStream validators, man and file.
PKGS+=(dpkg-dev lintian appstream desktop-file-utils man-db file)
missing=()
for p in "${PKGS[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q "install ok installed" || missing+=("$p")
done
if [ "${#missing[@]}" -gt 0 ]; then
  export DEBIAN_FRONTEND=noninteractive
  $SUDO apt-get update -qq
  $SUDO apt-get install -y -qq --no-install-recommends "${missing[@]}"
fi
