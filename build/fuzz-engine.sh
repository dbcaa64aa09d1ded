#!/usr/bin/env bash
# Fuzzes the engine's package and XML reading (and the writer over what reads) with
# libFuzzer: clang build in out/fuzz-engine. Three targets, each for SECONDS: whole
# files seeded with the card fixtures, single XML parts seeded with their parts, and
# formula and number-format texts. Every sanitizer report stops the run as a crash.
# usage: build/fuzz-engine.sh [SECONDS]   (default 60)
set -euo pipefail
cd "$(dirname "$0")/.."
seconds=${1:-60}

cmake -S . -B out/fuzz-engine -G Ninja -DCMAKE_BUILD_TYPE=RelWithDebInfo \
  -DCMAKE_C_COMPILER=clang -DCMAKE_CXX_COMPILER=clang++ -DSTILARO_FUZZ=ON \
  -DCMAKE_C_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" \
  -DCMAKE_CXX_FLAGS="-fsanitize=fuzzer-no-link,address,undefined -fno-sanitize-recover=all" >/dev/null
cmake --build out/fuzz-engine --target xlsx_read_fuzz xlsx_part_fuzz formula_fuzz
bin=out/fuzz-engine/tests/native/engine

files=out/fuzz-engine/corpus-files
mkdir -p "$files"
cp -n tests/fixtures/cards/*.xlsx "$files"/
"$bin/xlsx_read_fuzz" "$files" -max_len=262144 -rss_limit_mb=1024 -max_total_time="$seconds"

# Seeds for the part target: a selector byte (0 sheet, 1 styles, 2 shared strings,
# 3 workbook) followed by a real part of a fixture.
parts=out/fuzz-engine/corpus-parts
mkdir -p "$parts"
/usr/bin/python3 - "$parts" tests/fixtures/cards/*.xlsx <<'PY'
import sys, zipfile, os
out = sys.argv[1]
names = {'xl/worksheets/sheet1.xml': 0, 'xl/styles.xml': 1, 'xl/sharedStrings.xml': 2, 'xl/workbook.xml': 3}
for path in sys.argv[2:]:
    if os.path.basename(path).startswith('broken-'):
        continue
    with zipfile.ZipFile(path) as z:
        for name, sel in names.items():
            if name in z.namelist():
                with open(os.path.join(out, '%s-%d' % (os.path.basename(path), sel)), 'wb') as f:
                    f.write(bytes([sel]) + z.read(name))
PY
"$bin/xlsx_part_fuzz" "$parts" -max_len=262144 -rss_limit_mb=1024 -max_total_time="$seconds"

formulas=out/fuzz-engine/corpus-formulas
mkdir -p "$formulas"
i=0
for f in 'SUM(A1:A3)*2' "IF(A2=\"panca\",'Settimana 2'!A1,0)" 'TEXT(A1,"gg/mm/aaaa")' 'SOMMA(Carichi;1,5)' \
         '#,##0.00;[Red]-#,##0.00' 'COUNTIF(A:A,">=10")&ROUND(1.25,1)' 'dddd d mmmm yyyy h:mm:ss AM/PM'; do
  printf '%s' "$f" >"$formulas/seed-$i"
  i=$((i + 1))
done
exec "$bin/formula_fuzz" "$formulas" -max_len=4096 -rss_limit_mb=1024 -max_total_time="$seconds"
