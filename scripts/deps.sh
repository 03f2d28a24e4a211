#!/usr/bin/env bash
# Installs what building, running and testing Vostra needs on Debian 12.
set -euo pipefail
pkgs=(build-essential cmake clang libgtest-dev libgmock-dev libbenchmark-dev libpng-dev zlib1g-dev
      libsdl2-dev xvfb xauth gnugo unifont python3 time
      desktop-file-utils appstream man-db dpkg-dev)
if [ "${VOSTRA_WEB:-0}" = 1 ]; then pkgs+=(emscripten node-acorn chromium); fi
missing=()
for p in "${pkgs[@]}"; do dpkg -s "$p" >/dev/null 2>&1 || missing+=("$p"); done
if [ "${VOSTRA_WEB:-0}" = 1 ]; then
  # A Node.js installed from elsewhere brings its own npm, which Debian's npm
  # package would conflict with: take Debian's only where they are missing.
  command -v node >/dev/null 2>&1 || missing+=(nodejs)
  command -v npm >/dev/null 2>&1 || missing+=(npm)
fi
if [ ${#missing[@]} -gt 0 ]; then
  SUDO=""; [ "$(id -u)" = 0 ] || SUDO=sudo
  $SUDO apt-get update -qq
  DEBIAN_FRONTEND=noninteractive $SUDO apt-get install -y -qq "${missing[@]}"
fi
