#!/usr/bin/python3
"""Compares the engine's reading of a card (a dump written by the tests) with openpyxl's.

usage: compare_model.py XLSX DUMP [XLSX DUMP ...]

DUMP holds tab-separated lines:
  sheets  NAME...                       sheet names in order
  active  INDEX
  cell    SHEET REF KIND VALUE NUMFMT FONT FILL BORDER ALIGN
  merge   SHEET RANGE
  col     SHEET LETTER WIDTH HIDDEN     for columns with a width of their own
  row     SHEET NUMBER HEIGHT HIDDEN    for rows with a height of their own or hidden
  freeze  SHEET REF                     top-left cell of the scrolling pane
Prints what differs and exits 1 when anything does.
"""
import datetime
import sys
import warnings

import openpyxl
from openpyxl.utils import column_index_from_string

# openpyxl warns about extensions it drops (data bar and rule extensions); they are not compared.
warnings.simplefilter("ignore", UserWarning)
from openpyxl.utils.datetime import to_excel

# Built-in number formats whose text depends on the locale, and 47 which openpyxl spells
# without its colon: their codes are not compared.
LOCALE_FORMATS = {'mm-dd-yy', 'd-mmm-yy', 'd-mmm', 'mmm-yy', 'h:mm AM/PM', 'h:mm:ss AM/PM', 'h:mm',
                  'h:mm:ss', 'm/d/yy h:mm', 'mmss.0'}


def column(ws, letter):
    # openpyxl files a span of columns under its first letter.
    index = column_index_from_string(letter)
    for d in ws.column_dimensions.values():
        if d.min and d.max and d.min <= index <= d.max:
            return d
    return ws.column_dimensions[letter]


def rgb(color):
    if color is None or color.type != 'rgb' or not isinstance(color.rgb, str):
        return '-'
    return color.rgb[-6:].upper()


def describe(c):
    f = c.font
    # A font without a name of its own is drawn in the default one.
    font = '%s|%g|%d|%d|%s' % (f.name or 'Calibri', f.sz or 11, bool(f.b), bool(f.i), rgb(f.color))
    fill = '%s|%s' % (c.fill.patternType or 'none', rgb(c.fill.fgColor) if c.fill.patternType == 'solid' else '-')
    b = c.border
    border = '|'.join(((s.style if s else None) or 'none') for s in (b.left, b.right, b.top, b.bottom))
    a = c.alignment
    align = '%s|%s|%d|%d' % (a.horizontal or 'general', a.vertical or 'bottom', bool(a.wrap_text), int(a.indent or 0))
    return font, fill, border, align


def value_of(c):
    v = c.value
    if v is None:
        return 'e', ''
    if isinstance(v, bool):
        return 'b', 'TRUE' if v else 'FALSE'
    if isinstance(v, (datetime.datetime, datetime.date, datetime.time)):
        return 'n', repr(float(to_excel(v)))
    if isinstance(v, (int, float)):
        return 'n', repr(float(v))
    if isinstance(v, str) and v.startswith('='):
        return 'f', v
    return 's', str(v)


def main():
    args = sys.argv[1:]
    failed = [compare(args[i], args[i + 1]) for i in range(0, len(args), 2)]
    return 1 if any(failed) else 0


def compare(path, dump):
    wb = openpyxl.load_workbook(path)
    problems = []
    seen_cells = set()
    for line in open(dump, encoding='utf-8').read().splitlines():
        p = line.split('\t')
        kind = p[0]
        if kind == 'sheets':
            if p[1:] != wb.sheetnames:
                problems.append('sheets %s != %s' % (p[1:], wb.sheetnames))
        elif kind == 'active':
            if int(p[1]) != wb.index(wb.active):
                problems.append('active sheet %s != %s' % (p[1], wb.index(wb.active)))
        elif kind == 'cell':
            sheet, ref = p[1], p[2]
            c = wb[sheet][ref]
            seen_cells.add((sheet, ref))
            k, v = value_of(c)
            if k == 'n' and p[3] == 'n':
                same = abs(float(v) - float(p[4])) <= 1e-9 * max(1, abs(float(v)))
            else:
                same = (k, v) == (p[3], p[4])
            if not same:
                problems.append('%s!%s: value %s %r, openpyxl %s %r' % (sheet, ref, p[3], p[4], k, v))
            if c.number_format not in LOCALE_FORMATS and c.number_format != p[5]:
                problems.append('%s!%s: format %r, openpyxl %r' % (sheet, ref, p[5], c.number_format))
            # openpyxl gives covered cells of a merge a look of its own making.
            if type(c).__name__ == 'MergedCell':
                continue
            for what, mine, theirs in zip(('font', 'fill', 'border', 'alignment'), p[6:10], describe(c)):
                if mine != theirs:
                    problems.append('%s!%s: %s %s, openpyxl %s' % (sheet, ref, what, mine, theirs))
        elif kind == 'merge':
            if p[2] not in [str(r) for r in wb[p[1]].merged_cells.ranges]:
                problems.append('%s: merge %s unknown to openpyxl' % (p[1], p[2]))
        elif kind == 'col':
            d = column(wb[p[1]], p[2])
            if abs((d.width or 0) - float(p[3])) > 1e-6 or bool(d.hidden) != (p[4] == '1'):
                problems.append('%s: column %s %s/%s, openpyxl %s/%s' % (p[1], p[2], p[3], p[4], d.width, d.hidden))
        elif kind == 'row':
            d = wb[p[1]].row_dimensions[int(p[2])]
            if abs((d.height or 0) - float(p[3])) > 1e-6 or bool(d.hidden) != (p[4] == '1'):
                problems.append('%s: row %s %s/%s, openpyxl %s/%s' % (p[1], p[2], p[3], p[4], d.height, d.hidden))
        elif kind == 'freeze':
            if (wb[p[1]].freeze_panes or 'A1') != p[2]:
                problems.append('%s: frozen at %s, openpyxl %s' % (p[1], p[2], wb[p[1]].freeze_panes))
    # Every cell openpyxl sees with a value must have been read too.
    for ws in wb:
        for row in ws.iter_rows():
            for c in row:
                if c.value is not None and (ws.title, c.coordinate) not in seen_cells:
                    problems.append('%s!%s: missing (%r)' % (ws.title, c.coordinate, c.value))
        merges = sum(1 for line in open(dump, encoding='utf-8') if line.startswith('merge\t%s\t' % ws.title))
        if merges != len(ws.merged_cells.ranges):
            problems.append('%s: %d merges, openpyxl %d' % (ws.title, merges, len(ws.merged_cells.ranges)))
    for p in problems[:40]:
        print(path, p)
    return bool(problems)


if __name__ == '__main__':
    sys.exit(main())
