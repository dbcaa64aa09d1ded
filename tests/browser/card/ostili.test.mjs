// Hostile cards, made at run time: every operation refuses damage with the damaged-file message,
// never writes past the sheet's last row, and finishes on huge row numbers and merges.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { cardOstili, conFoglio } from './ostili.mjs';
import { apriPagina, fixture, inPagina, leggiConPython, schedaDi } from './pagina.mjs';

const ROVINATO = 'il file .xlsx sembra rovinato';
const MIB = 1 << 20;

let p;
let ostili;
before(async () => {
  p = await apriPagina();
  ostili = await cardOstili(fixture(p.temp, 'simple.xlsx'), 64 * MIB);
});
after(async () => { await p.chiudi(); });

const xmlDelFoglio = (bytes) => inPagina(p.page, bytes, async (b) => zipTesto((await apriXlsx(b)).vFoglio));

// Every operation of the card layer, each answering something printable.
const tutte = (bytes) => inPagina(p.page, bytes, async (b) => {
  const operazioni = {
    leggi: async () => { const x = await apriXlsx(b); return settimaneDelFoglio(analizza(x.doc, x.ss)).map((w) => [w.r, w.fine]); },
    nuovaSettimana: async () => { const r = await nuovaSettimana(b, new Date(2026, 11, 7)); return { file: r.file, da: r.da, a: r.a }; },
    togliSettimanaDa: async () => (await togliSettimanaDa(b)).file,
    scriviCelle: () => scriviCelle(b, { E8: '60', A1048576: 'fondo', XFD1: 'destra', A1048577: 'no', XFE1: 'no' }),
    conAtleta: () => conAtleta(b, 'Anna Neri', ''),
    abbellisciScheda: () => abbellisciScheda(b),
  };
  const esiti = {};
  for (const [nome, fn] of Object.entries(operazioni)) {
    try { esiti[nome] = { ok: await fn() }; } catch (e) { esiti[nome] = { errore: e.message }; }
  }
  return esiti;
});

describe('damaged packages and sheets are refused by every operation', { timeout: 300000 }, () => {
  const DANNI = ['row number 1000000000000000', 'zip bomb, size declared', 'zip bomb, size hidden', 'zip bomb, spread over parts',
    'two parts of one name', 'bad CRC', 'unknown method', 'declared size lies'];
  for (const nome of DANNI) {
    test(nome, async () => {
      const esiti = await tutte(ostili[nome]);
      for (const [op, esito] of Object.entries(esiti)) assert.deepEqual(esito, { errore: ROVINATO }, `${op} on ${nome}`);
    });
  }

  test('a row number past the last row, and encrypted entries, are damage too', async () => {
    const oltre = conFoglio(fixture(p.temp, 'simple.xlsx'), (xml) => xml.replace('</sheetData>', '<row r="1048577"/></sheetData>'));
    const cifrato = Buffer.from(fixture(p.temp, 'simple.xlsx'));
    for (let i = cifrato.indexOf(Buffer.from([0x50, 0x4b, 1, 2])); i >= 0; i = cifrato.indexOf(Buffer.from([0x50, 0x4b, 1, 2]), i + 4)) cifrato[i + 8] |= 1;
    for (const [nome, bytes] of [['row 1048577', oltre], ['encrypted', cifrato]]) {
      assert.deepEqual((await tutte(bytes)).leggi, { errore: ROVINATO }, nome);
    }
  });
});

describe('a sheet written up to its last row', { timeout: 300000 }, () => {
  test('reads, takes cells and loses its last week, but gets no week past row 1048576', async () => {
    const esiti = await tutte(ostili['written in row 1048576']);
    assert.deepEqual(esiti.leggi.ok.at(-1)[1], 1048576);
    assert.deepEqual(esiti.nuovaSettimana, { errore: 'la nuova settimana non ci sta: il foglio finisce alla riga 1048576' });
    // Read back as text: an independent reader would walk the whole grid the dimension spans.
    const scritto = await xmlDelFoglio(esiti.scriviCelle.ok);
    assert.match(scritto, /<dimension ref="A1:XFD1048576"\/>/);
    assert.match(scritto, /<c r="XFD1"[^>]*><is><t>destra<\/t><\/is><\/c><\/row>/);
    assert.match(scritto, /<row r="1048576"><c r="A1048576" t="inlineStr"><is><t>fondo<\/t><\/is><\/c><\/row><\/sheetData>/);
    assert.doesNotMatch(scritto, /XFE|1048577/);
    assert.doesNotMatch(await xmlDelFoglio(esiti.togliSettimanaDa.ok), /<row r="1048576"/);
    assert.match(await xmlDelFoglio(esiti.conAtleta.ok), /<row r="1048576"/);
    // The restyle may give the card its look or leave it alone, but never grows it past the last row.
    if (esiti.abbellisciScheda.ok) {
      const righe = [...(await xmlDelFoglio(esiti.abbellisciScheda.ok)).matchAll(/<row r="(\d+)"/g)].map((m) => Number(m[1]));
      assert.ok(righe.every((n) => n <= 1048576));
    }
  });

  test('the copy of a week is taken up to the last row and refused one row further', async () => {
    const scheda = schedaDi('simple.xlsx');
    const fine = scheda.weeks.at(-1).last_row;
    const aggiungi = (bytes) => inPagina(p.page, bytes, async (b) => { const r = await nuovaSettimana(b, new Date(2026, 11, 7)); return [r.da, r.a]; });
    const [, a] = await aggiungi(fixture(p.temp, 'simple.xlsx'));
    const primo = 2 * fine + 2 - a;
    const ultima = Math.floor((1048574 + primo) / 2);
    const conRiga = (n) => conFoglio(fixture(p.temp, 'simple.xlsx'), (xml) => xml.replace('</sheetData>', `<row r="${n}"><c r="B${n}" t="inlineStr"><is><t>nota</t></is></c></row></sheetData>`));
    const [da, fino] = await aggiungi(conRiga(ultima));
    assert.ok(fino <= 1048576 && fino >= 1048575, `copy ends at ${fino}`);
    assert.equal(da, ultima + 2);
    await assert.rejects(aggiungi(conRiga(ultima + 1)), { message: 'la nuova settimana non ci sta: il foglio finisce alla riga 1048576' });
  });
});

test('a sheet just under the size cap opens, and an edit that would take it past the cap is refused', { timeout: 300000 }, async () => {
  const pieno = conFoglio(fixture(p.temp, 'simple.xlsx'), (xml) => xml.replace('</worksheet>', `<!--${'x'.repeat(16 * MIB - Buffer.byteLength(xml) - 100)}--></worksheet>`));
  const esiti = await inPagina(p.page, pieno, async (b) => {
    const prova = async (fn) => { try { await fn(); return 'ok'; } catch (e) { return e.message; } };
    return [await prova(() => apriXlsx(b)), await prova(() => scriviCelle(b, { A1: 'x'.repeat(200) }))];
  });
  assert.deepEqual(esiti, ['ok', 'la scheda diventerebbe troppo grande per riaprirla']);
});

describe('huge merged ranges are indexed, not expanded', { timeout: 300000 }, () => {
  test('20000 merges over the whole sheet: weeks are added and removed, the look is left alone', async () => {
    const esiti = await tutte(ostili['20000 merges over the sheet']);
    assert.deepEqual(esiti.leggi.ok, schedaDi('simple.xlsx').weeks.map((w) => [w.row, w.last_row]));
    assert.equal(esiti.abbellisciScheda.ok, null);
    const aggiunta = leggiConPython(p.temp, esiti.nuovaSettimana.ok.file).foglio;
    assert.equal(aggiunta.unioni.length, 0, 'merges over the copy go, as for any merge overlapping it');
    assert.ok(esiti.togliSettimanaDa.ok && esiti.scriviCelle.ok && esiti.conAtleta.ok);
  });

  test('200 tall merges beside the card: the card still takes its look and keeps them', async () => {
    const esiti = await tutte(ostili['200 tall merges']);
    // Read in the page: an independent reader would expand the 200 million merged cells.
    const titolo = schedaDi('simple.xlsx').weeks[0].cell;
    const bello = await inPagina(p.page, esiti.abbellisciScheda.ok, async (b, rif) => {
      const x = await apriXlsx(b);
      const st = stiliScheda(xmlLeggi(await zipTesto(x.voce(x.stili))));
      const { col, riga } = leggiRif(rif);
      const c = foglioDi(x.doc).celle.get(posto(col, riga));
      return { alte: leggiUnioni(x.doc).aree.filter((a) => a.r1 === 1 && a.r2 === 1048576).length, fondo: st.fondo(Number(c.getAttribute('s'))) };
    }, titolo);
    assert.deepEqual(bello, { alte: 200, fondo: 'FF16161A' });
    const aggiunta = leggiConPython(p.temp, esiti.nuovaSettimana.ok.file, 'aggiunta.xlsx').foglio;
    assert.equal(aggiunta.unioni.length, 0, 'tall merges overlap the copy, so they go');
  });
});
