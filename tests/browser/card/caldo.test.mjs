// Operations on bytes the page has just written start from the tree it kept for them: they must
// write exactly what a fresh read of the same bytes writes, and no two of them may share a tree.
import assert from 'node:assert/strict';
import { after, before, test } from 'node:test';
import { apriPagina, fixture, inPagina, leggiConPython } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

// A member's session on one card: each step works on the bytes of the step before.
const sessione = async (b, freddo) => {
  const passi = [
    (x) => scriviCelle(x, { E8: '12', A30: 'in fondo', C4: '7,5' }),
    async (x) => (await nuovaSettimana(x, new Date(2026, 11, 7))).file,
    async (x) => (await abbellisciScheda(x)) ?? x,
    (x) => scriviCelle(x, { B2: 'Sara', E9: '3' }),
    async (x) => (await nuovaSettimana(x, new Date(2026, 11, 14))).file,
    async (x) => (await togliSettimanaDa(x)).file,
  ];
  const testi = [];
  let x = b;
  for (const passo of passi) {
    if (freddo) FOGLI_LETTI.clear();
    x = await passo(x);
    testi.push((await apriPacchetto(x)).testo);
  }
  return { testi, file: x };
};

test('a chain of operations writes the same sheets from kept trees as from fresh reads', async () => {
  for (const nome of ['simple.xlsx', 'libreoffice-basic.xlsx', 'two-workouts.xlsx']) {
    const r = await inPagina(p.page, fixture(p.temp, nome), async (b, s) => {
      const sessioneIn = eval(`(${s})`);
      const freddo = await sessioneIn(b, true);
      FOGLI_LETTI.clear();
      const caldo = await sessioneIn(b, false);
      return { freddo: freddo.testi, caldo: caldo.testi, file: caldo.file };
    }, sessione.toString());
    r.caldo.forEach((testo, i) => assert.equal(testo, r.freddo[i], `${nome}: step ${i + 1}`));
    assert.ok(leggiConPython(p.temp, r.file).foglio, nome);
  }
});

test('a kept tree goes to one operation only, and back when that one only read it', async () => {
  const r = await inPagina(p.page, fixture(p.temp, 'simple.xlsx'), async (b) => {
    FOGLI_LETTI.clear();
    const scritto = await scriviCelle(b, { E8: '12' });
    const x = await apriPacchetto(scritto);
    const tenuto = FOGLI_LETTI.get(x.chiave).albero !== null;
    // Two edits of the same written bytes: the second must not see the first one's changes.
    const primo = await scriviCelle(scritto, { A30: 'uno' });
    const dopoPrimo = FOGLI_LETTI.get(x.chiave).albero;
    const secondo = await scriviCelle(scritto, { A31: 'due' });
    FOGLI_LETTI.clear();
    const secondoFresco = await scriviCelle(scritto, { A31: 'due' });
    // A restyle that finds the look already there leaves the tree for the next operation.
    const bello = await abbellisciScheda(b);
    const y = await apriPacchetto(bello);
    const nulla = await abbellisciScheda(bello);
    const lasciato = FOGLI_LETTI.get(y.chiave).albero !== null;
    const testo = async (f) => (await apriPacchetto(f)).testo;
    return {
      tenuto, dopoPrimo, nulla, lasciato,
      primo: await testo(primo), secondo: await testo(secondo), secondoFresco: await testo(secondoFresco),
    };
  });
  assert.deepEqual([r.tenuto, r.dopoPrimo, r.nulla, r.lasciato], [true, null, null, true]);
  assert.match(r.primo, /uno/);
  assert.doesNotMatch(r.secondo, /uno/);
  assert.equal(r.secondo, r.secondoFresco);
});

test('a kept tree is not used with other shared strings under the same sheet', async () => {
  const r = await inPagina(p.page, fixture(p.temp, 'libreoffice-basic.xlsx'), async (b) => {
    FOGLI_LETTI.clear();
    const scritto = (await nuovaSettimana(b, new Date(2026, 11, 7))).file;
    // The same sheet bytes with every shared "SETTIMANA" renamed.
    const voci = zipLeggi(await scritto.arrayBuffer());
    const ss = voci.find((v) => v.nome === 'xl/sharedStrings.xml');
    await zipCambia(ss, (await zipTesto(ss)).replaceAll('SETTIMANA', 'SETTIMANE'));
    const altro = zipScrivi(voci);
    const titoli = async (f) => {
      const x = await apriXlsx(f);
      return analizza(x.doc, x.ss).titoli.length;
    };
    return { altro: await titoli(altro), scritto: await titoli(scritto) };
  });
  // Only the new week's title, written in the cell itself, still reads as one.
  assert.equal(r.altro, 1);
  assert.ok(r.scritto > 1);
});
