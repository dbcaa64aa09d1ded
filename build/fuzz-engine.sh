#!/usr/bin/env bash
# Fuzzes the engine's package and XML reading (and the writer over what reads) with
# libFuzzer: clang build in out/fuzz-engine, seeded with the card fixtures.
# usage: build/fuzz-engine.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B out/fuzz-engine -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSTILARO_FUZZ=ON \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined" >/dev/null
cmake --build out/fuzz-engine --target xlsx_read_fuzz
corpus=out/fuzz-engine/corpus
mkdir -p "$corpus"
cp -n tests/native/engine/fixtures/*.xlsx "$corpus"/
exec out/fuzz-engine/tests/native/engine/xlsx_read_fuzz "$corpus" -max_len=262144 -rss_limit_mb=1024 \
  -max_total_time="${1:-60}"
