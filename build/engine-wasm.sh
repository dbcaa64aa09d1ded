#!/usr/bin/env bash
# Builds the spreadsheet engine's WebAssembly module from engine/ (preset "wasm") and
# writes the site's two engine files, site/foglio/stilaro.js and stilaro_wasm.js.
# With --check it writes them aside and fails when the committed ones differ.
# With --profile it builds the same module with function names into out/wasm-profile,
# for the benchmark's CPU profile, and writes no site files.
set -euo pipefail
cd "$(dirname "$0")/.."

if [[ ${1:-} == --profile ]]; then
  cmake --preset wasm -B out/wasm-profile -DCMAKE_EXE_LINKER_FLAGS=--profiling-funcs >/dev/null
  cmake --build out/wasm-profile --target stilaro
  exit 0
fi

cmake --preset wasm >/dev/null
cmake --build --preset wasm --target stilaro

if [[ ${1:-} == --check ]]; then
  fresh=$(mktemp -d)
  trap 'rm -rf "$fresh"' EXIT
  /usr/bin/python3 build/engine-site-files.py out/wasm/engine/wasm/stilaro.wasm engine/glue "$fresh"
  for f in stilaro.js stilaro_wasm.js; do
    if ! cmp -s "$fresh/$f" "site/foglio/$f"; then
      echo "site/foglio/$f is not what engine/ builds: run build/engine-wasm.sh and commit it" >&2
      exit 1
    fi
  done
  echo "site/foglio is up to date"
else
  mkdir -p site/foglio
  /usr/bin/python3 build/engine-site-files.py out/wasm/engine/wasm/stilaro.wasm engine/glue site/foglio
fi
