#!/usr/bin/env bash
# Installs every system and npm package the build and the tests need (Debian 12, as root).
set -euo pipefail
cd "$(dirname "$0")/.."

packages=(
  build-essential cmake ninja-build pkg-config git ca-certificates
  libgtest-dev libgmock-dev libcpp-httplib-dev
  clang clang-format libfuzzer-14-dev libclang-rt-14-dev
  g++-mingw-w64-x86-64-posix mingw-w64-tools
  wine wine64 xvfb xauth
  emscripten binaryen dpkg-dev
  chromium fonts-crosextra-carlito fonts-dejavu-core
  python3 python3-pil python3-openpyxl python3-numpy python3-fonttools python3-brotli
  nodejs
  postgresql-15 postgresql-15-pgtap libtap-parser-sourcehandler-pgtap-perl
)

missing=()
for p in "${packages[@]}"; do
  dpkg-query -W -f='${Status}' "$p" 2>/dev/null | grep -q 'install ok installed' || missing+=("$p")
done
if ((${#missing[@]})); then
  export DEBIAN_FRONTEND=noninteractive
  apt-get update
  apt-get install -y --no-install-recommends "${missing[@]}"
fi
command -v npm >/dev/null || apt-get install -y --no-install-recommends npm

npm ci --no-audit --no-fund --loglevel=error
bash build/third-party.sh
