#!/usr/bin/env bash
# Benchmark of the engine core on the 52-week card, natively, against a peer measured in
# the same run: python3-openpyxl reading the card and writing it after the same edit.
# usage: bench/engine-core/run.sh [ROUNDS]   (needs the native preset configured)
set -euo pipefail
cd "$(dirname "$0")/../.."
rounds=${1:-20}
card=tests/fixtures/cards/year-card.xlsx
cmake --build --preset native --target stilaro_core >/dev/null
out=out/native/bench
mkdir -p "$out"
c++ -std=c++20 -O2 -Iengine bench/engine-core/core_bench.cpp out/native/engine/libstilaro_core.a \
  out/native/engine/libstilaro_pugixml.a out/native/engine/libstilaro_zlib.a -o "$out/core_bench"
core=$("$out/core_bench" "$card" "$rounds")
peer=$(/usr/bin/python3 - "$card" "$rounds" <<'PY'
import io, sys, time
import openpyxl
card, rounds = sys.argv[1], int(sys.argv[2])
data = open(card, 'rb').read()
read = write = 0.0
for _ in range(max(1, rounds // 4)):
    t0 = time.perf_counter()
    wb = openpyxl.load_workbook(io.BytesIO(data))
    t1 = time.perf_counter()
    wb.active['E601'] = 82.5
    wb.save(io.BytesIO())
    t2 = time.perf_counter()
    read += t1 - t0
    write += t2 - t1
n = max(1, rounds // 4)
print('read %.2f' % (read / n * 1000))
print('write %.2f' % (write / n * 1000))
PY
)
value() { grep "^$1 " <<<"$2" | cut -d' ' -f2; }
echo "year card, ms per round (core: $rounds rounds; peer openpyxl: $((rounds / 4 > 0 ? rounds / 4 : 1)))"
ratio() { awk -v a="$1" -v b="$2" 'BEGIN { printf "%.1f", a / b }'; }
printf '  read:  core %s, openpyxl %s (ratio %sx)\n' "$(value read "$core")" "$(value read "$peer")" \
  "$(ratio "$(value read "$peer")" "$(value read "$core")")"
printf '  edit:  core %s (recalculation included)\n' "$(value edit "$core")"
printf '  write: core %s, openpyxl %s (ratio %sx)\n' "$(value write "$core")" "$(value write "$peer")" \
  "$(ratio "$(value write "$peer")" "$(value write "$core")")"
