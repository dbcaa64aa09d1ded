// Reading cards: package, active sheet, weeks, workouts and fill-in columns, as the fixtures' catalogue says.
import assert from 'node:assert/strict';
import { randomBytes } from 'node:crypto';
import { crc32 } from 'node:zlib';
import { after, before, describe, test } from 'node:test';
import { inflateRawSync } from 'node:zlib';
import { leggiZip, scriviZip, voceDi } from './ostili.mjs';
import { apriPagina, CARDS, fixture, inPagina, voci } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

const leggi = (nome) => inPagina(p.page, fixture(p.temp, nome), async (bytes) => {
  const x = await apriXlsx(bytes);
  const an = analizza(x.doc, x.ss);
  const settimane = settimaneDelFoglio(an).map((w) => {
    const { colonne, testa } = colonneDaScrivere(an, w.r, w.fine);
    return { ...w, colonne: [...colonne].sort((a, b) => a - b).map(colLett), testa, cella: w.col + w.r,
      all: w.all.map((a) => ({ nome: a.nome, da: colLett(a.da), a: colLett(a.a) })) };
  });
  const date = an.titoli.map((t) => inizioDalTitolo(t.resto)).map((d) => d && { day: d.getDate(), month: d.getMonth() + 1 });
  return { foglio: x.foglio, titoli: an.titoli.map((t) => t.testo), settimane, date };
});

describe('cards read as the catalogue describes them', () => {
  for (const atteso of CARDS.files.filter((f) => f.kind !== 'broken')) {
    test(atteso.file, async () => {
      const letto = await leggi(atteso.file);
      assert.equal(letto.foglio, atteso.active_sheet);
      assert.deepEqual(letto.titoli, atteso.week_titles);
      assert.deepEqual(letto.date, atteso.weeks.map((w) => (atteso.months_language && atteso.months_language !== 'it' ? null : w.start)));
      assert.equal(letto.settimane.length, atteso.weeks.length);
      atteso.weeks.forEach((w, i) => {
        const s = letto.settimane[i];
        assert.equal(s.cella, w.cell);
        assert.equal(s.num, w.number);
        assert.equal(s.fine, w.last_row, `last row of ${w.title}`);
        assert.ok(s.da === w.row || s.da === w.spacer_row, `first row of ${w.title}`);
        if (w.spacer_styled) assert.equal(s.da, w.spacer_row, `styled spacer of ${w.title}`);
        assert.deepEqual(s.all.map((a) => [a.nome, a.da, a.a]), w.workouts.map((a) => [a.title, a.first_col, a.last_col]));
        assert.deepEqual(s.colonne, w.fill_columns ?? []);
        assert.equal(s.testa, w.header_row ?? 0);
      });
    });
  }
});

test('broken files fail with their own message', async () => {
  for (const atteso of CARDS.files.filter((f) => f.kind === 'broken')) {
    await assert.rejects(leggi(atteso.file), { message: atteso.expected_error }, atteso.file);
  }
  await assert.rejects(
    inPagina(p.page, Buffer.from('<x'), async () => xmlLeggi('<worksheet><row></worksheet>')),
    { message: 'il file .xlsx contiene XML che non riesco a leggere' });
});

test('week and workout titles: the variants that count and those that do not', async () => {
  const esiti = await inPagina(p.page, Buffer.alloc(0), async () => [
    '1 SETTIMANA', '1ª settimana', '1^SETTIMANA', '12 º Settimana 3 MARZO', '1 SETTIMANALE', 'SETTIMANA 1', 'Prima settimana',
  ].map((t) => RE_SETTIMANA.test(t)).concat(['1° ALLENAMENTO', '2allenamento A', 'ALLENAMENTO 1'].map((t) => RE_ALLENAMENTO.test(t))));
  assert.deepEqual(esiti, [true, true, true, true, false, false, false, true, true, false]);
});

test('package layer: CRC-32, round trip with every entry kept byte for byte', async () => {
  const originale = fixture(p.temp, 'libreoffice-multisheet.xlsx');
  const r = await inPagina(p.page, originale, async (bytes) => ({
    crc: crc32(new TextEncoder().encode('123456789')),
    stesso: zipScrivi(zipLeggi(bytes)),
    testo: await zipTesto(zipLeggi(bytes).find((v) => v.nome === 'xl/workbook.xml')),
  }));
  assert.equal(r.crc, 0xCBF43926);
  // Every length around the sixteen-byte steps, from views that start at each alignment in their buffer.
  const dati = randomBytes(70);
  const crc = await inPagina(p.page, dati, async (b) => {
    const tutti = new Uint8Array(b);
    return [0, 1, 2, 3].map((da) => Array.from({ length: 66 }, (_, n) => crc32(tutti.subarray(da, da + n))));
  });
  crc.forEach((perLunghezza, da) => perLunghezza.forEach((c, n) => assert.equal(c, crc32(dati.subarray(da, da + n)), `${n} bytes from ${da}`)));
  assert.equal(r.stesso.tipo, 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet');
  assert.deepEqual(voci(p.temp, r.stesso), voci(p.temp, originale));
  assert.match(r.testo, /<sheet name="Scheda"/);
});

test('a trailing archive comment is allowed', async () => {
  const [commento, senza] = await Promise.all([leggi('zip-comment.xlsx'), leggi('two-workouts.xlsx')]);
  assert.deepEqual(commento, senza);
});

test('the shown sheet is found by its relationship id, whatever prefix that carries', async () => {
  const originale = fixture(p.temp, 'libreoffice-multisheet.xlsx');
  const conLibro = (cambia) => scriviZip(leggiZip(originale).map((v) => (v.nome === 'xl/workbook.xml'
    ? voceDi(v.nome, cambia(inflateRawSync(v.dati).toString())) : v)));
  const varianti = [
    conLibro((xml) => xml.replaceAll('xmlns:r=', 'xmlns:rel=').replaceAll(' r:id=', ' rel:id=')),
    // "r" bound elsewhere: its id points at the wrong sheet, the relationships' own prefix at the right one.
    conLibro((xml) => xml.replace('xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships"',
      'xmlns:r="urn:altro" xmlns:x="http://schemas.openxmlformats.org/officeDocument/2006/relationships"')
      .replace('r:id="rId3"', 'r:id="rId2" x:id="rId3"')),
  ];
  for (const [i, bytes] of varianti.entries()) {
    const aperto = await inPagina(p.page, bytes, async (b) => {
      const x = await apriXlsx(b);
      return [x.foglio, x.vFoglio.nome];
    });
    assert.deepEqual(aperto, ['Scheda', 'xl/worksheets/sheet2.xml'], `variant ${i + 1}`);
  }
});
