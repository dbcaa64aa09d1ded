#!/usr/bin/env bash
# The main job: install, build everything, then serve the embedded site on http://127.0.0.1:8080/.
set -euo pipefail
cd "$(dirname "$0")/.."

bash build/deps.sh
/usr/bin/python3 build/media/make_media.py
cmake --preset native
cmake --build --preset native
cmake --preset windows
cmake --build --preset windows
exec out/native/server/tarvela-serve --port "${PORT:-8080}"
