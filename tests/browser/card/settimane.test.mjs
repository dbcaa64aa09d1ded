// Adding and removing weeks, checked by openpyxl on the written file.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { conFoglio } from './ostili.mjs';
import { apriPagina, CARDS, fixture, generaConPython, inPagina, leggiConPython, schedaDi, soloCambiate } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

const aggiungi = (bytes) => inPagina(p.page, bytes, async (b) => nuovaSettimana(b, new Date(2026, 11, 7)));
const togli = (bytes) => inPagina(p.page, bytes, async (b) => togliSettimanaDa(b));
const riga = (rif) => Number(rif.match(/\d+/)[0]);
const col = (rif) => rif.match(/[A-Z]+/)[0];
const sposta = (rif, n) => col(rif) + (riga(rif) + n);
const spostaArea = (ref, n) => ref.split(':').map((r) => sposta(r, n)).join(':');

describe('a new week copies the last one below itself', () => {
  for (const scheda of CARDS.files.filter((f) => f.weeks && f.weeks.length)) {
    test(scheda.file, async () => {
      const originale = fixture(p.temp, scheda.file);
      const ultima = scheda.weeks[scheda.weeks.length - 1];
      const r = await aggiungi(originale);
      const primo = ultima.spacer_styled ? ultima.spacer_row : ultima.row;
      const salto = ultima.last_row + 2 - primo;
      assert.equal(r.titolo, `${ultima.number + 1}° SETTIMANA 7 DICEMBRE-13 DICEMBRE`);
      assert.deepEqual([r.da, r.a], [primo + salto, ultima.last_row + salto]);
      assert.equal(r.svuotate, ultima.header_row ? ultima.filled_cells : 0);

      const prima = leggiConPython(p.temp, originale, 'prima.xlsx').foglio;
      const dopo = leggiConPython(p.temp, r.file).foglio;
      soloCambiate(p.temp, originale, r.file, [prima.parte]);
      const nuovoTitolo = sposta(ultima.cell, salto);
      assert.equal(dopo.celle[nuovoTitolo].v, r.titolo);
      const daSvuotare = new Set(ultima.fill_columns ?? []);
      for (const [rif, cella] of Object.entries(prima.celle)) {
        const n = riga(rif);
        if (n < primo || n > ultima.last_row) continue;
        const copia = dopo.celle[sposta(rif, salto)];
        assert.deepEqual(copia.stile, cella.stile, `style of ${rif}`);
        if (rif === ultima.cell) continue;
        if (ultima.header_row && n > ultima.header_row && daSvuotare.has(col(rif))) assert.equal(copia.v, null, `${rif} emptied`);
        else assert.deepEqual(copia.v, cella.v, `${rif} copied`);
        assert.deepEqual(dopo.celle[rif], cella, `${rif} untouched`);
      }
      const copiate = prima.unioni.filter((u) => riga(u) >= primo && riga(u.split(':')[1]) <= ultima.last_row);
      assert.deepEqual(dopo.unioni, [...prima.unioni, ...copiate.map((u) => spostaArea(u, salto))].sort());
      assert.equal(dopo.contoUnioni, prima.contoUnioni === null ? null : dopo.unioni.length);
      assert.equal(dopo.dimensione.split(':')[1], prima.dimensione.split(':')[1].replace(/\d+$/, '') + (ultima.last_row + salto));
      for (const vista of dopo.viste) {
        assert.equal(vista.topLeftCell, 'A' + (primo + salto));
        assert.deepEqual(vista.selezioni, vista.selezioni.map(() => nuovoTitolo));
      }
    });
  }
});

test('a copy lands over a merge and a formatted row left below the last week', async () => {
  // simple.xlsx: last week in rows 14-21, so the copy takes rows 23-30.
  const bytes = generaConPython(p.temp, 'simple.xlsx', 'sotto.xlsx',
    "ws.merge_cells('B22:C23')\nws.merge_cells('A40:B40')\nws['E27'].number_format = '0.00'");
  const r = await aggiungi(bytes);
  const dopo = leggiConPython(p.temp, r.file).foglio;
  assert.deepEqual(dopo.unioni, ['A40:B40']);
  assert.equal(dopo.celle.E27.stile.formato, 'General');
  assert.equal(dopo.celle.A23.v, '3° SETTIMANA 7 DICEMBRE-13 DICEMBRE');
  const soloSotto = generaConPython(p.temp, 'simple.xlsx', 'soloSotto.xlsx', "ws.merge_cells('B22:C23')");
  const senza = leggiConPython(p.temp, (await aggiungi(soloSotto)).file).foglio;
  assert.deepEqual([senza.unioni, senza.contoUnioni], [[], null], 'an empty merge list goes away');
});

test('a card without week titles gets no week', async () => {
  await assert.rejects(aggiungi(fixture(p.temp, 'no-weeks.xlsx')),
    { message: 'nel file non trovo nessuna riga «1° SETTIMANA …» da copiare' });
});

describe('removing the last week', () => {
  test('takes its rows and merges and counts the loads written in it', async () => {
    const originale = fixture(p.temp, 'two-workouts.xlsx');
    const scheda = schedaDi('two-workouts.xlsx');
    const [, penultima, ultima] = scheda.weeks;
    const r = await togli(originale);
    assert.equal(r.titolo, ultima.title);
    assert.equal(r.scritte, ultima.filled_cells);
    const prima = leggiConPython(p.temp, originale, 'prima.xlsx').foglio;
    const dopo = leggiConPython(p.temp, r.file).foglio;
    soloCambiate(p.temp, originale, r.file, [prima.parte]);
    for (const [rif, cella] of Object.entries(prima.celle)) {
      if (riga(rif) < ultima.spacer_row) assert.deepEqual(dopo.celle[rif], cella, rif);
      else assert.equal(dopo.celle[rif], undefined, rif);
    }
    assert.deepEqual(dopo.unioni, prima.unioni.filter((u) => riga(u) < ultima.spacer_row));
    assert.equal(dopo.contoUnioni, dopo.unioni.length);
    assert.equal(dopo.dimensione, prima.dimensione);
    assert.deepEqual(dopo.viste, [{ topLeftCell: 'A' + penultima.row, griglia: null, selezioni: [penultima.cell] }]);
  });

  test('added then removed gives back the same cells', async () => {
    const originale = fixture(p.temp, 'heading-col-a.xlsx');
    const aggiunta = await aggiungi(originale);
    const tolta = await togli(aggiunta.file);
    assert.equal(tolta.titolo, aggiunta.titolo);
    assert.equal(tolta.scritte, 0);
    const prima = leggiConPython(p.temp, originale, 'prima.xlsx').foglio;
    const dopo = leggiConPython(p.temp, tolta.file).foglio;
    assert.deepEqual(dopo.celle, prima.celle);
    assert.deepEqual(dopo.unioni, prima.unioni);
  });

  test('the only week stays', async () => {
    await assert.rejects(togli(fixture(p.temp, 'one-week.xlsx')),
      { message: "nella scheda c'è una settimana sola: quella non si toglie" });
  });
});

test('a new week touches the rows of the copy only, the same whether the sheet was read before or not', async () => {
  for (const nome of ['simple.xlsx', 'two-workouts.xlsx', 'libreoffice-basic.xlsx', 'text-format.xlsx']) {
    // Two spaces in each row tag: a serializer makes it one, so only kept bytes keep them.
    const originale = conFoglio(fixture(p.temp, nome), (xml) => xml.replaceAll('<row r="', '<row  r="'));
    const r = await inPagina(p.page, originale, async (b) => {
      FOGLI_LETTI.clear();
      const intero = await nuovaSettimana(b, new Date(2026, 11, 7));
      const cucito = await nuovaSettimana(b, new Date(2026, 11, 7));
      return { intero, cucito, prima: (await apriPacchetto(b)).testo, dopo: (await apriPacchetto(cucito.file)).testo, rifatto: (await apriPacchetto(intero.file)).testo };
    });
    assert.equal(r.rifatto, r.dopo, `${nome}: the first copy and the one on a sheet already read agree`);
    assert.deepEqual([r.cucito.titolo, r.cucito.da, r.cucito.a, r.cucito.svuotate], [r.intero.titolo, r.intero.da, r.intero.a, r.intero.svuotate], nome);
    const intero = leggiConPython(p.temp, r.intero.file, 'intero.xlsx').foglio;
    const cucito = leggiConPython(p.temp, r.cucito.file, 'cucito.xlsx').foglio;
    soloCambiate(p.temp, originale, r.cucito.file, [cucito.parte]);
    for (const k of ['celle', 'unioni', 'contoUnioni', 'dimensione', 'viste', 'altezze', 'larghezze']) assert.deepEqual(cucito[k], intero[k], `${nome}: ${k}`);
    for (const riga of r.prima.matchAll(/<row\b[^>]*?(?:\/>|>[^]*?<\/row>)/g)) {
      const n = Number(riga[0].match(/\sr="(\d+)"/)[1]);
      if (n < r.cucito.da) assert.ok(r.dopo.includes(riga[0]), `${nome}: row ${n} kept byte for byte`);
    }
  }
});
