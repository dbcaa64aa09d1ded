// Writing cells and personalising a sample card, checked by openpyxl on the written file.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { conFoglio } from './ostili.mjs';
import { apriPagina, fixture, inPagina, leggiConPython, schedaDi, soloCambiate } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

const scrivi = (bytes, cambi) => inPagina(p.page, bytes, async (b, c) => scriviCelle(b, c), cambi);
const xmlDelFoglio = (bytes) => inPagina(p.page, bytes, async (b) => zipTesto((await apriXlsx(b)).vFoglio));

test('numbers in shortest form, text where the cell has the text format', async () => {
  const originale = fixture(p.temp, 'text-format.xlsx');
  const scheda = schedaDi('text-format.xlsx');
  const testo = scheda.text_format_columns[0] + '17';
  const file = await scrivi(originale, { [testo]: '3,5', F17: '3,50', B17: '007', C17: '-2.25', D17: '8+2', A8: ' a destra ', ZZ1: 'x', b3: 'y', $A$1: 'z' });
  const foglio = leggiConPython(p.temp, file).foglio;
  soloCambiate(p.temp, originale, file, [foglio.parte]);
  assert.equal(foglio.celle[testo].v, '3,5');
  assert.equal(foglio.celle[testo].stile.formato, '@');
  assert.deepEqual([foglio.celle.F17.v, foglio.celle.B17.v, foglio.celle.C17.v, foglio.celle.D17.v], [3.5, 7, -2.25, '8+2']);
  assert.equal(foglio.celle.A8.v, ' a destra ');
  assert.equal(foglio.celle.ZZ1.v, 'x');
  assert.equal(foglio.dimensione, 'A1:ZZ' + scheda.last_row);
  const xml = await xmlDelFoglio(file);
  assert.match(xml, /^<\?xml version="1.0" encoding="UTF-8" standalone="yes"\?>\r\n<worksheet/);
  assert.match(xml, /<c r="A8"[^>]*t="inlineStr"[^>]*><is><t xml:space="preserve"> a destra <\/t><\/is><\/c>/);
  assert.match(xml, /<c r="B17"[^>]*><v>7<\/v><\/c>/);
  assert.doesNotMatch(xml, /r="b3"|\$A\$1/);
});

test('new rows and cells take their sorted place; emptying keeps the style', async () => {
  const originale = fixture(p.temp, 'simple.xlsx');
  const prima = leggiConPython(p.temp, originale, 'prima.xlsx').foglio;
  const file = await scrivi(originale, { C4: 'nuova', L8: '1', A30: 'in fondo', E8: '', A1: '   ' });
  const foglio = leggiConPython(p.temp, file).foglio;
  assert.equal(foglio.celle.C4.v, 'nuova');
  assert.equal(foglio.celle.L8.v, 1);
  assert.equal(foglio.celle.A30.v, 'in fondo');
  assert.equal(foglio.celle.E8.v, null);
  assert.deepEqual(foglio.celle.E8.stile, prima.celle.E8.stile);
  assert.equal(foglio.celle.A1.v, null);
  assert.equal(foglio.dimensione, 'A1:L30');
  const xml = await xmlDelFoglio(file);
  const righe = [...xml.matchAll(/<row r="(\d+)"/g)].map((m) => Number(m[1]));
  assert.deepEqual(righe, [...righe].sort((a, b) => a - b));
  const celle8 = [...xml.match(/<row r="8".*?<\/row>/)[0].matchAll(/<c r="([A-Z]+)8"/g)].map((m) => m[1]);
  assert.deepEqual(celle8, ['A', 'B', 'C', 'D', 'E', 'F', 'G', 'H', 'I', 'J', 'L']);
});

test('a formula is replaced with the typed value, characters XML cannot hold are dropped', async () => {
  const originale = fixture(p.temp, 'dates-formulas.xlsx');
  const scheda = schedaDi('dates-formulas.xlsx');
  const formula = scheda.formulas[0].cell;
  const file = await scrivi(originale, { [formula]: '12', A2: 'ok\u0001\u0007 sì' });
  const foglio = leggiConPython(p.temp, file).foglio;
  assert.equal(foglio.celle[formula].v, 12);
  assert.equal(foglio.celle.A2.v, 'ok sì');
});

test('a sample card made personal: loads emptied, athlete and coach in the heading', async () => {
  const originale = fixture(p.temp, 'two-workouts.xlsx');
  const scheda = schedaDi('two-workouts.xlsx');
  const conCoach = await inPagina(p.page, originale, async (b) => conAtleta(b, 'Anna Neri', 'Sara Blu'));
  const senza = await inPagina(p.page, originale, async (b) => conAtleta(b, 'Anna Neri', ''));
  const foglio = leggiConPython(p.temp, conCoach).foglio;
  soloCambiate(p.temp, originale, conCoach, [foglio.parte]);
  assert.equal(foglio.celle.A1.v, 'SCHEDA DI ALLENAMENTO');
  assert.equal(foglio.celle.A2.v, 'ATLETA: ANNA NERI');
  assert.equal(foglio.celle.A3.v, 'PERSONAL COACH: SARA BLU');
  assert.equal(leggiConPython(p.temp, senza, 'senza.xlsx').foglio.celle.A3.v, 'PERSONAL COACH: DA ASSEGNARE');
  for (const w of scheda.weeks) {
    for (const [rif, cella] of Object.entries(foglio.celle)) {
      const n = Number(rif.match(/\d+/)[0]);
      if (n > w.header_row && n <= w.last_row && w.fill_columns.includes(rif.match(/[A-Z]+/)[0])) assert.equal(cella.v, null, rif);
    }
    assert.equal(foglio.celle[w.workouts[0].cell.replace(/\d+/, String(w.header_row + 1))].v, w.workouts[0].exercises[0]);
  }
});

test('shared formulas: a copied week keeps their values, typing over the first cell frees the others', async () => {
  // simple.xlsx with a formula filled down L17:L19 (the last week), written the way spreadsheet programs share it.
  const conFormule = await inPagina(p.page, fixture(p.temp, 'simple.xlsx'), async (b) => {
    const voci = zipLeggi(b);
    const foglio = voci.find((v) => v.nome === 'xl/worksheets/sheet1.xml');
    const celle = { 17: '<f t="shared" ref="L17:L19" si="0">E17*2</f><v>120</v>', 18: '<f t="shared" si="0"/><v>160</v>', 19: '<f t="shared" si="0"/><v>90</v>' };
    let xml = await zipTesto(foglio);
    for (const [n, dentro] of Object.entries(celle)) xml = xml.replace(new RegExp(`(<row r="${n}"[^>]*>.*?)</row>`), `$1<c r="L${n}">${dentro}</c></row>`);
    await zipCambia(foglio, xml);
    return zipScrivi(voci);
  });
  const settimana = await inPagina(p.page, conFormule, async (b) => nuovaSettimana(b, new Date(2026, 11, 7)));
  const copiata = leggiConPython(p.temp, settimana.file).foglio;
  assert.deepEqual(['L17', 'L18', 'L26', 'L27', 'L28'].map((r) => copiata.celle[r].v), ['=E17*2', '=E18*2', 120, 160, 90]);
  const sopra = leggiConPython(p.temp, await scrivi(conFormule, { L17: '5' })).foglio;
  assert.deepEqual(['L17', 'L18', 'L19'].map((r) => sopra.celle[r].v), [5, 160, 90]);
});

test('a heading written as label and value loses the sample name beside the label', async () => {
  const file = await inPagina(p.page, fixture(p.temp, 'libreoffice-basic.xlsx'), async (b) => conAtleta(b, 'Anna Neri', ''));
  const foglio = leggiConPython(p.temp, file).foglio;
  assert.deepEqual(['A1', 'B1', 'A2', 'B2', 'A3'].map((r) => foglio.celle[r]?.v ?? null),
    ['ATLETA: ANNA NERI', null, 'PERSONAL COACH: DA ASSEGNARE', null, 'PERIODO: DAL 6 OTTOBRE AL 26 OTTOBRE']);
});

test('a card is edited in the written rows only, the same whether its sheet was read before or not', async () => {
  const casi = [
    ['text-format.xlsx', { F17: '3,50', B17: '007', A8: ' a destra ', ZZ1: 'x', A40: 'in fondo' }],
    ['simple.xlsx', { C4: 'nuova', L8: '1', A30: 'in fondo', E8: '', A1: '   ', A9: 'x' }],
    ['libreoffice-basic.xlsx', { B2: 'Sara', C9: '12' }],
  ];
  for (const [nome, cambi] of casi) {
    // Two spaces in each row tag: a serializer makes it one, so only kept bytes keep them.
    const originale = conFoglio(fixture(p.temp, nome), (xml) => xml.replaceAll('<row r="', '<row  r="'));
    const r = await inPagina(p.page, originale, async (b, c) => {
      FOGLI_LETTI.clear();
      const intero = await scriviCelle(b, c);
      const x = await apriPacchetto(b);
      const cucito = await scriviCelle(b, c);
      return { intero, cucito, prima: x.testo, dopo: (await apriPacchetto(cucito)).testo, rifatto: (await apriPacchetto(intero)).testo };
    }, cambi);
    assert.equal(r.rifatto, r.dopo, `${nome}: the first edit and the one on a sheet already read agree`);
    assert.match(r.dopo, /<row {2}r=/);
    const intero = leggiConPython(p.temp, r.intero, 'intero.xlsx').foglio;
    const cucito = leggiConPython(p.temp, r.cucito, 'cucito.xlsx').foglio;
    soloCambiate(p.temp, originale, r.cucito, [cucito.parte]);
    assert.deepEqual(cucito.celle, intero.celle, nome);
    assert.deepEqual([cucito.dimensione, cucito.unioni, cucito.altezze], [intero.dimensione, intero.unioni, intero.altezze], nome);
    const scritte = new Set(Object.keys(cambi).map((rif) => rif.match(/\d+/)[0]));
    for (const riga of r.prima.matchAll(/<row\b[^>]*?(?:\/>|>[^]*?<\/row>)/g)) {
      if (!scritte.has(riga[0].match(/\sr="(\d+)"/)[1])) assert.ok(r.dopo.includes(riga[0]), `${nome}: untouched row kept byte for byte`);
    }
  }
});
