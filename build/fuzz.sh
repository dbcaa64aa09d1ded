#!/usr/bin/env bash
# Fuzzes the local request handler's path decoding with libFuzzer (clang build in out/fuzz).
# usage: build/fuzz.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."

cmake -S . -B out/fuzz -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all"
cmake --build out/fuzz --target request_path_fuzz
mkdir -p out/fuzz/corpus
exec out/fuzz/tests/native/server/request_path_fuzz out/fuzz/corpus -max_len=256 -max_total_time="${1:-60}"
