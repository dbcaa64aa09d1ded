"""Prints, as JSON, the sheet names, the asked cells and the hidden rows of the active
sheet of an .xlsx file read by openpyxl.

Usage: xlsx-cells.py FILE [SHEET!]CELL...  (the active sheet when no sheet is named)
"""
import json
import sys

import openpyxl

book = openpyxl.load_workbook(sys.argv[1])
cells = {}
for ref in sys.argv[2:]:
    sheet, _, cell = ref.rpartition("!")
    value = (book[sheet] if sheet else book.active)[cell].value
    cells[ref] = value if value is None or isinstance(value, (int, float, str, bool)) else str(value)
hidden = sorted(r for r, d in book.active.row_dimensions.items() if d.hidden)
print(json.dumps({"sheets": book.sheetnames, "active": book.active.title, "cells": cells, "hidden_rows": hidden}))
