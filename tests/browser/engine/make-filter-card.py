"""Writes a small workbook with what the card fixtures lack: an auto-filter, frozen
panes, a defined name and a second sheet. Usage: make-filter-card.py FILE"""
import sys

import openpyxl
from openpyxl.workbook.defined_name import DefinedName

book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Massimali"
rows = [
    ("ESERCIZIO", "CARICO", "REPS"),
    ("PANCA", 80, 5),
    ("SQUAT", 100, 5),
    ("PANCA", 82.5, 3),
    ("STACCO", 120, 3),
    ("SQUAT", 105, 3),
]
for row in rows:
    sheet.append(row)
for r in range(7, 80):
    sheet.cell(r, 1, f"riga {r}")
sheet.auto_filter.ref = "A1:C6"
sheet.freeze_panes = "B2"
book.create_sheet("Note")["A1"] = "note dell'istruttore"
name = DefinedName("Record", attr_text="Massimali!$B$5")
if hasattr(book.defined_names, "append"):
    book.defined_names.append(name)
else:
    book.defined_names["Record"] = name
book.save(sys.argv[1])
