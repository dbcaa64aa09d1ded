"""Independent reading of a card file: package entries with Python's zipfile, the shown sheet with openpyxl."""
import hashlib
import json
import struct
import sys
import xml.etree.ElementTree as ET
import zipfile

import openpyxl

NS = {'m': 'http://schemas.openxmlformats.org/spreadsheetml/2006/main'}


def voci(percorso):
    with open(percorso, 'rb') as f:
        dati = f.read()
    with zipfile.ZipFile(percorso) as z:
        elenco = []
        for info in z.infolist():
            locale = info.header_offset
            lnome, lextra = struct.unpack('<HH', dati[locale + 26:locale + 30])
            inizio = locale + 30 + lnome + lextra
            grezzi = dati[inizio:inizio + info.compress_size]
            if z.testzip() is not None:
                raise SystemExit('bad CRC in ' + percorso)
            elenco.append({'nome': info.filename, 'metodo': info.compress_type, 'data': list(info.date_time),
                           'crc': info.CRC, 'grezzi': hashlib.sha256(grezzi).hexdigest()})
        return elenco


def parte_attiva(z):
    libro = ET.fromstring(z.read('xl/workbook.xml'))
    vista = libro.find('m:bookViews/m:workbookView', NS)
    fogli = libro.findall('m:sheets/m:sheet', NS)
    indice = int(vista.get('activeTab', 0)) if vista is not None else 0
    foglio = fogli[indice] if indice < len(fogli) else fogli[0]
    rid = foglio.get('{http://schemas.openxmlformats.org/officeDocument/2006/relationships}id')
    rel = ET.fromstring(z.read('xl/_rels/workbook.xml.rels'))
    for r in rel:
        if r.get('Id') == rid:
            target = r.get('Target')
            return target[1:] if target.startswith('/') else 'xl/' + target
    raise SystemExit('no sheet part')


def colore(c):
    return c.rgb if c is not None and c.type == 'rgb' else None


def stile(cella):
    f, p, b, a = cella.font, cella.fill, cella.border, cella.alignment
    return {
        'font': {'nome': f.name, 'sz': f.sz, 'b': bool(f.b), 'colore': colore(f.color)},
        'fondo': colore(p.fgColor) if p.fill_type == 'solid' else None,
        'bordi': {lato: [getattr(b, lato).style, colore(getattr(b, lato).color)]
                  for lato in ('left', 'right', 'top', 'bottom') if getattr(b, lato) is not None and getattr(b, lato).style},
        'oriz': a.horizontal, 'vert': a.vertical, 'aCapo': bool(a.wrap_text), 'rientro': a.indent,
        'formato': cella.number_format,
    }


def foglio(percorso):
    wb = openpyxl.load_workbook(percorso)
    ws = wb.active
    celle = {}
    for riga in ws.iter_rows():
        for c in riga:
            if c.value is not None or c.has_style:
                celle[c.coordinate] = {'v': c.value if not hasattr(c.value, 'isoformat') else c.value.isoformat(),
                                       'tipo': c.data_type, 'stile': stile(c)}
    with zipfile.ZipFile(percorso) as z:
        parte = parte_attiva(z)
        radice = ET.fromstring(z.read(parte))
        dim = radice.find('m:dimension', NS)
        viste = [{'topLeftCell': v.get('topLeftCell'), 'griglia': v.get('showGridLines'),
                  'selezioni': [s.get('activeCell') for s in v.findall('m:selection', NS)]}
                 for v in radice.findall('m:sheetViews/m:sheetView', NS)]
        unioni = radice.find('m:mergeCells', NS)
        formato = radice.find('m:sheetFormatPr', NS)
    return {
        'nome': ws.title,
        'parte': parte,
        'fogli': wb.sheetnames,
        'celle': celle,
        'unioni': sorted(str(r) for r in ws.merged_cells.ranges),
        'contoUnioni': None if unioni is None else int(unioni.get('count', -1)),
        'dimensione': None if dim is None else dim.get('ref'),
        'viste': viste,
        'altezze': {r: d.height for r, d in ws.row_dimensions.items() if d.height is not None},
        'larghezze': {k: d.width for k, d in ws.column_dimensions.items() if d.customWidth},
        'altezzaBase': None if formato is None else formato.get('defaultRowHeight'),
    }


if __name__ == '__main__':
    percorso = sys.argv[1]
    print(json.dumps({'voci': voci(percorso), 'foglio': foglio(percorso)}, default=str))
