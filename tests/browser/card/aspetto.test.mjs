// The card look: text measuring, and the restyle checked by openpyxl on the written file.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { apriPagina, CARDS, fixture, generaConPython, inPagina, leggiConPython, schedaDi, soloCambiate } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

const abbellisci = (bytes) => inPagina(p.page, bytes, async (b) => abbellisciScheda(b));
const px = (caratteri) => Math.trunc((256 * caratteri + 18) / 256 * 7);
const NERO = 'FF16161A';

test('text measuring with the Calibri widths, units and line heights', async () => {
  const m = await inPagina(p.page, Buffer.alloc(0), async () => {
    const giri = [];
    for (let x = 8; x <= 400; x++) if (pxColonna(larghezzaDaPx(x)) !== x) giri.push(x);
    return {
      caratteri: CALIBRI.size,
      squat: pxTesto('SQUAT', 11, true),
      ignoto: pxTesto('ж', 10, false),
      righe: [
        righeTesto('aa aa', 11, false, 1000), righeTesto('aa aa', 11, false, 20),
        righeTesto('uno\r\ndue\rtre\nquattro', 11, false, 1000), righeTesto('', 11, false, 50),
        righeTesto('mmmmmmmmmm', 11, false, 40), righeTesto('a  b', 11, false, pxTesto('a  b', 11, false) + 0.001), righeTesto('a  b', 11, false, pxTesto('a  b', 11, false) - 0.5),
      ],
      parola: parolaPiuLunga('  Panca   inclinata\tmanubri ', 10, false) === pxTesto('inclinata', 10, false),
      vuota: parolaPiuLunga('   ', 10, false),
      giri,
      larghezza: larghezzaDaPx(270),
      linee: [9, 10, 11, 12, 14, 20, 13, 16].map(lineaPt),
    };
  });
  assert.equal(m.caratteri, 127);
  assert.ok(Math.abs(m.squat - (473 + 686 + 653 + 606 + 495) / 1000 * 11 * 4 / 3) < 1e-9);
  assert.ok(Math.abs(m.ignoto - 0.62 * 10 * 4 / 3) < 1e-9);
  // 'mmmmmmmmmm' at 11 pt is about 117 px: three lines of 40 px.
  assert.deepEqual(m.righe, [1, 2, 4, 1, 3, 1, 2]);
  assert.equal(m.parola, true);
  assert.equal(m.vuota, 0);
  assert.deepEqual(m.giri, []);
  assert.equal(m.larghezza, 38.5703125);
  assert.deepEqual(m.linee, [12.5, 13.75, 15, 16.5, 19, 27, 18, 22]);
});

test('measures: characters outside the width table, and kept measures never mixed up', async () => {
  const m = await inPagina(p.page, Buffer.alloc(0), async () => {
    MISURE.clear();
    const altro = CALIBRI_ALTRO / 1000 * 11 * 4 / 3;
    const per = (t, b = false) => pxTesto(t, 11, b);
    // Each asked for first with a neighbour's key: a measure kept under the wrong key would answer.
    const misure = [
      [misura('Panca piana', 11, false, -1), parolaPiuLunga('Panca piana', 11, false)],
      [misura('Panca piana', 11, true, -1), parolaPiuLunga('Panca piana', 11, true)],
      [misura('Panca piana', 12, true, -1), parolaPiuLunga('Panca piana', 12, true)],
      [misura('Panca piana', 11, false, 100), righeTesto('Panca piana', 11, false, 100)],
      [misura('Panca piana', 11, false, 40), righeTesto('Panca piana', 11, false, 40)],
      [misura('Panca piana', 11, false, 40.5), righeTesto('Panca piana', 11, false, 40.5)],
    ];
    return {
      coppia: Math.abs(per('a😀b') - (per('a') + altro + per('b'))) < 1e-9,
      sole: Math.abs(per('\uD800x\uDC00') - (2 * altro + per('x'))) < 1e-9,
      oltre: Math.abs(per('€\u20AD') - (per('€') + altro)) < 1e-9,
      grassetto: per('M', true) > per('M'),
      misure,
    };
  });
  assert.deepEqual([m.coppia, m.sole, m.oltre, m.grassetto], [true, true, true, true]);
  for (const [i, [tenuta, diretta]] of m.misure.entries()) assert.equal(tenuta, diretta, `measure ${i + 1}`);
  assert.notEqual(m.misure[3][0], m.misure[4][0], 'two widths, two line counts');
});

describe('every card fixture takes the look once, touching only the sheet and the styles', () => {
  for (const scheda of CARDS.files.filter((f) => f.kind === 'card')) {
    test(scheda.file, async () => {
      const originale = fixture(p.temp, scheda.file);
      const nuovo = await abbellisci(originale);
      if (!scheda.header_rows.some(Boolean)) {
        assert.equal(nuovo, null, 'a card without a header row stays as it is');
        return;
      }
      const foglio = leggiConPython(p.temp, nuovo).foglio;
      soloCambiate(p.temp, originale, nuovo, [foglio.parte, 'xl/styles.xml']);
      for (const w of scheda.weeks) {
        assert.equal(foglio.celle[w.cell].v, w.title);
        assert.equal(foglio.celle[w.cell].stile.fondo, NERO);
        assert.equal(foglio.altezze[w.row] >= 27, true);
      }
      assert.deepEqual(foglio.viste.map((v) => v.griglia), foglio.viste.map(() => '0'));
      assert.equal(foglio.altezzaBase, '15');
      assert.equal(await abbellisci(nuovo), null, 'a restyled card is left alone');
      const vecchi = await inPagina(p.page, originale, async (b, n) => {
        const xf = async (bytes) => {
          const x = await apriXlsx(bytes);
          const doc = xmlLeggi(await zipTesto(x.voce(x.stili)));
          return Array.from(doc.getElementsByTagNameNS('*', 'cellXfs')[0].children).map((e) => new XMLSerializer().serializeToString(e));
        };
        const [prima, dopo] = [await xf(b), await xf(Uint8Array.from(atob(n), (c) => c.charCodeAt(0)).buffer)];
        return { tenuti: prima.every((s, i) => s === dopo[i]), nuovi: dopo.slice(prima.length), quanti: prima.length };
      }, nuovo.toString('base64'));
      assert.ok(vecchi.tenuti, 'existing cell formats keep their numbers');
      assert.equal(new Set(vecchi.nuovi).size, vecchi.nuovi.length, 'identical formats are added once');
    });
  }
  test('and a card that is no card of weeks stays as it is', async () => {
    assert.equal(await abbellisci(fixture(p.temp, 'no-weeks.xlsx')), null);
  });
});

test('the shape: heading moved to the workout column, title, workout, header, zebra rows and widths', async () => {
  const foglio = leggiConPython(p.temp, await abbellisci(fixture(p.temp, 'heading-col-a.xlsx'))).foglio;
  const scheda = schedaDi('heading-col-a.xlsx');
  const w = scheda.weeks[0];
  for (const riga of scheda.headings) {
    assert.equal(foglio.celle[`A${riga.row}`], undefined);
    assert.equal(foglio.celle[`B${riga.row}`].v, riga.text);
    assert.deepEqual(foglio.celle[`B${riga.row}`].stile.font, { nome: 'Calibri', sz: 12, b: true, colore: NERO });
    assert.ok(foglio.unioni.includes(`B${riga.row}:E${riga.row}`));
  }
  assert.ok(foglio.unioni.includes(`B${w.row}:X${w.row}`));
  const [primo] = w.workouts;
  assert.equal(foglio.celle[primo.cell].stile.fondo, 'FFD50217');
  for (const [rif, testo] of Object.entries(primo.set_headings)) {
    assert.equal(foglio.celle[rif].v, testo);
    assert.equal(foglio.celle[rif].stile.fondo, 'FF152D84');
  }
  const testa = w.header_row;
  assert.equal(foglio.celle[`B${testa}`].stile.fondo, 'FFE9E9EE');
  assert.equal(foglio.celle[`${primo.carico_columns[0]}${testa}`].stile.fondo, 'FFE6EAF6');
  assert.equal(foglio.celle[`B${testa + 1}`].stile.fondo, null);
  assert.equal(foglio.celle[`B${testa + 2}`].stile.fondo, 'FFF4F4F7');
  assert.equal(foglio.celle[`${primo.carico_columns[0]}${testa + 2}`].stile.fondo, null);
  assert.deepEqual(foglio.celle[`${primo.reps_columns[0]}${testa + 1}`].stile.bordi.right, ['thin', 'FF8E8E9C']);
  assert.equal(px(foglio.larghezze.A), 20);
  const nome = px(foglio.larghezze.B);
  const note = px(foglio.larghezze.C);
  assert.ok(nome >= 210 && nome <= 270, `exercise column ${nome}`);
  assert.ok(note >= 290 && note <= 340, `notes column ${note}`);
  assert.equal(foglio.altezze[w.spacer_row], 12);
});

describe('brand rows', () => {
  const marca = async (righe) => {
    const bytes = generaConPython(p.temp, 'simple.xlsx', `marca${righe}.xlsx`, `ws.insert_rows(1, ${righe})`);
    return leggiConPython(p.temp, await abbellisci(bytes)).foglio;
  };
  test('come when rows 2 and 3 are free and the heading starts at row 4', async () => {
    const foglio = await marca(3);
    assert.equal(foglio.celle.A2.v, 'PALESTRE TARVELA');
    assert.deepEqual(foglio.celle.A2.stile.font, { nome: 'Calibri', sz: 10, b: true, colore: 'FFD50217' });
    assert.equal(foglio.celle.A3.v, 'SCHEDA DI ALLENAMENTO');
    assert.equal(foglio.celle.A3.stile.font.sz, 20);
    assert.ok(foglio.unioni.includes('A2:D2') && foglio.unioni.includes('A3:D3'));
    assert.deepEqual([foglio.altezze[1], foglio.altezze[2], foglio.altezze[3]], [6, 21, 34.5]);
    assert.equal(foglio.celle.A4.v, 'ATLETA: MARIO ROSSI');
  });
  test('do not come over a heading that starts higher', async () => {
    for (const foglio of [await marca(2), leggiConPython(p.temp, await abbellisci(fixture(p.temp, 'simple.xlsx'))).foglio]) {
      const testi = Object.values(foglio.celle).map((c) => c.v);
      assert.ok(!testi.includes('PALESTRE TARVELA'));
    }
  });
});

test('cell contents: numbers stored as text, text formats, formulas and colour-only cells', async () => {
  const bytes = generaConPython(p.temp, 'simple.xlsx', 'valori.xlsx', [
    "ws['D8'] = '3'", "ws['D9'] = '03'", "ws['D10'] = '3 x 10'", "ws['D11'] = '1234567'", "ws['E8'] = '0'",
    "ws['E9'] = '12'", "ws['E9'].number_format = '@'", "ws['E10'] = '62,5'", "ws['E10'].number_format = '@'",
    "ws['L3'].fill = openpyxl.styles.PatternFill('solid', fgColor='FFFF0000')", "ws['L4'] = '=1+2'",
  ].join('\n'));
  const foglio = leggiConPython(p.temp, await abbellisci(bytes)).foglio;
  assert.deepEqual(['D8', 'D9', 'D10', 'D11', 'E8', 'E9', 'E10'].map((r) => foglio.celle[r].v), [3, '03', '3 x 10', '1234567', 0, 12, '62,5']);
  assert.equal(foglio.celle.E10.stile.formato, 'General');
  assert.equal(foglio.celle.L3, undefined);
  assert.equal(foglio.celle.L4.v, '=1+2');
  assert.deepEqual([foglio.celle.L4.stile.font.sz, foglio.celle.L4.stile.vert, foglio.celle.L4.stile.oriz], [11, 'bottom', null]);
});

test('a long note makes its row as tall as its lines in the written column width', async () => {
  const nota = 'Scendere lentamente fino a sfiorare il petto, gomiti a 45 gradi, scapole addotte e depresse per tutta la serie, '
    + 'spingere esplosivi senza rimbalzare e senza staccare i glutei dalla panca';
  const bytes = generaConPython(p.temp, 'simple.xlsx', 'nota.xlsx', `ws['B9'] = ${JSON.stringify(nota)}`);
  const foglio = leggiConPython(p.temp, await abbellisci(bytes)).foglio;
  const disponibile = px(foglio.larghezze.B) - 8 - 12;
  const righe = await inPagina(p.page, Buffer.alloc(0), async (_, t, w) => righeTesto(t, 10, false, w), nota, disponibile);
  assert.ok(righe >= 3, `${righe} lines`);
  assert.equal(foglio.altezze[9], Math.ceil((righe * 13.75 + 7) / 0.75) * 0.75);
});

test('a text format of its own ("@" under a custom id) counts as the text format', async () => {
  const bytes = await inPagina(p.page, fixture(p.temp, 'text-format.xlsx'), async (b) => {
    const voci = zipLeggi(b);
    const stili = voci.find((v) => v.nome === 'xl/styles.xml');
    const xml = await zipTesto(stili);
    await zipCambia(stili, xml.replace('<numFmts count="0"/>', '<numFmts count="1"><numFmt numFmtId="200" formatCode="@"/></numFmts>')
      .replaceAll('numFmtId="49"', 'numFmtId="200"'));
    return zipScrivi(voci);
  });
  const scheda = schedaDi('text-format.xlsx');
  const cella = scheda.text_format_columns[0] + scheda.weeks[2].exercise_rows[0];
  assert.equal(leggiConPython(p.temp, await inPagina(p.page, bytes, async (b, r) => scriviCelle(b, { [r]: '3,5' }), cella)).foglio.celle[cella].v, '3,5');
  assert.equal(leggiConPython(p.temp, await abbellisci(bytes)).foglio.celle[cella].stile.formato, 'General');
});
