"""Writes a card whose bold headings nearly fill their cells: each heading's column is
one or two pixels wider than the heading plus the cell padding, in Calibri's metrics.
A yellow fill marks each heading cell and a dark blue one its right neighbour, so a test
can find the cell's edges on the canvas. Usage: make-heading-card.py FILE"""
import sys

import openpyxl
from openpyxl.styles import Font, PatternFill
from openpyxl.utils import get_column_letter

yellow = PatternFill("solid", fgColor="FFFFCC")
black = PatternFill("solid", fgColor="203864")
book = openpyxl.Workbook()
sheet = book.active
sheet.title = "Scheda"
# (heading, size in points, column width in characters)
HEADINGS = [
    ("SCHEDA ALLENAMENTO", 11, 21.93),
    ("CARICO MASSIMO", 16, 24.22),
    ("Settimana", 11, 9.93),
]
sheet.row_dimensions[2].height = 24
for k, (text, size, width) in enumerate(HEADINGS):
    column = 1 + 2 * k
    cell = sheet.cell(2, column, text)
    cell.font = Font(name="Calibri", b=True, sz=size)
    cell.fill = yellow
    sheet.cell(2, column + 1, "kg").fill = black
    sheet.column_dimensions[get_column_letter(column)].width = width
    sheet.column_dimensions[get_column_letter(column + 1)].width = 4
book.save(sys.argv[1])
