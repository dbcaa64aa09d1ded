#!/usr/bin/python3
"""Checks a saved card against its original with an independent reader (openpyxl).

usage: check_xlsx.py ORIGINAL SAVED EXPECTATIONS [ORIGINAL SAVED EXPECTATIONS ...]

EXPECTATIONS holds tab-separated lines:
  changed  ENTRY                 the entry may differ from the original
  dropped  ENTRY                 the entry must be gone
  cell     SHEET  REF  KIND  V   KIND: n number, s text, b boolean, f formula (V with "="), e empty
  cached   SHEET  REF  V         the cached value of a formula cell (number or text)
  numfmt   SHEET  REF  CODE      the cell's number format
Every other entry must keep its compressed bytes, in the same order; every other cell
its value and style; sheets, merges, column widths and row heights must stay.
Prints what differs and exits 1 when anything does.
"""
import datetime
import struct
import sys
import zipfile

import openpyxl
from openpyxl.utils.datetime import to_excel

def raw_entries(path):
    with open(path, 'rb') as f:
        data = f.read()
    out = []
    for info in zipfile.ZipFile(path).infolist():
        at = info.header_offset
        name_len, extra_len = struct.unpack('<HH', data[at + 26:at + 30])
        start = at + 30 + name_len + extra_len
        out.append((info.filename, info.compress_type, info.CRC, info.date_time,
                    data[start:start + info.compress_size]))
    return out


_styles = {}


def style_of(c):
    # Cells share few distinct styles: describe each once.
    key = (id(c.parent.parent), tuple(c._style or ()), type(c).__name__)
    if key not in _styles:
        _styles[key] = (repr(c.font), repr(c.fill), repr(c.border), repr(c.alignment), c.number_format)
    return _styles[key]


def main():
    args = sys.argv[1:]
    failed = False
    for i in range(0, len(args), 3):
        problems = check(*args[i:i + 3])
        for p in problems:
            print(args[i], p)
        failed = failed or bool(problems)
    return 1 if failed else 0


def check(original, saved, expect_path):
    problems = []
    changed, dropped, cells, cached, numfmts = set(), set(), {}, {}, {}
    for line in open(expect_path, encoding='utf-8').read().splitlines():
        parts = line.split('\t')
        if parts[0] == 'changed':
            changed.add(parts[1])
        elif parts[0] == 'dropped':
            dropped.add(parts[1])
        elif parts[0] == 'cell':
            cells[(parts[1], parts[2])] = (parts[3], parts[4] if len(parts) > 4 else '')
        elif parts[0] == 'cached':
            cached[(parts[1], parts[2])] = parts[3]
        elif parts[0] == 'numfmt':
            numfmts[(parts[1], parts[2])] = parts[3]

    before = raw_entries(original)
    after = raw_entries(saved)
    kept = [e for e in before if e[0] not in dropped]
    if [e[0] for e in kept] != [e[0] for e in after]:
        problems.append('entry order: %s != %s' % ([e[0] for e in after], [e[0] for e in kept]))
    for b, a in zip(kept, after):
        if b[0] != a[0]:
            continue
        if b[0] in changed:
            if b[3] != a[3]:
                problems.append('%s: date and time changed' % b[0])
            continue
        if b != a:
            problems.append('%s: not byte-identical' % b[0])
    # Every saved entry must also read back correctly (CRC, sizes).
    bad = zipfile.ZipFile(saved).testzip()
    if bad:
        problems.append('%s: damaged in the saved file' % bad)

    wb0 = openpyxl.load_workbook(original)
    wb1 = openpyxl.load_workbook(saved)
    values1 = openpyxl.load_workbook(saved, data_only=True)
    if wb0.sheetnames != wb1.sheetnames:
        problems.append('sheets: %s != %s' % (wb1.sheetnames, wb0.sheetnames))
    for name in wb0.sheetnames:
        s0, s1 = wb0[name], wb1[name]
        if sorted(map(str, s0.merged_cells.ranges)) != sorted(map(str, s1.merged_cells.ranges)):
            problems.append('%s: merges differ' % name)
        for key, dim in s0.column_dimensions.items():
            if dim.width != s1.column_dimensions[key].width or dim.hidden != s1.column_dimensions[key].hidden:
                problems.append('%s: column %s changed' % (name, key))
        for key, dim in s0.row_dimensions.items():
            if dim.height != s1.row_dimensions[key].height:
                problems.append('%s: row %s height changed' % (name, key))
        for row in s0.iter_rows():
            for c in row:
                if (name, c.coordinate) in cells:
                    continue
                c1 = s1[c.coordinate]
                if c.value != c1.value:
                    problems.append('%s!%s: %r became %r' % (name, c.coordinate, c.value, c1.value))
                if style_of(c) != style_of(c1) and (name, c.coordinate) not in numfmts:
                    problems.append('%s!%s: style changed' % (name, c.coordinate))

    for (sheet, ref), (kind, v) in cells.items():
        got = wb1[sheet][ref].value
        if kind == 'n' and isinstance(got, (datetime.date, datetime.time, datetime.timedelta)):
            got = to_excel(got)
        want = {'n': lambda: float(v), 's': lambda: v, 'b': lambda: v == 'TRUE',
                'f': lambda: v, 'e': lambda: None}[kind]()
        ok = abs(got - want) < 1e-9 if kind == 'n' and isinstance(got, (int, float)) else got == want
        if not ok:
            problems.append('%s!%s: %r, expected %r' % (sheet, ref, got, want))
    for (sheet, ref), v in cached.items():
        got = values1[sheet][ref].value
        try:
            ok = abs(float(got) - float(v)) < 1e-9
        except (TypeError, ValueError):
            ok = str(got) == v
        if not ok:
            problems.append('%s!%s: cached %r, expected %r' % (sheet, ref, got, v))
    for (sheet, ref), code in numfmts.items():
        got = wb1[sheet][ref].number_format
        if got != code:
            problems.append('%s!%s: number format %r, expected %r' % (sheet, ref, got, code))

    return problems


if __name__ == '__main__':
    sys.exit(main())
