// Week buttons through the page: add, remove, undo, on the browser copy and on a linked file.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { chiudiPagine } from '../lib/sito.mjs';
import {
  avviaSchede, apriSchede, caricata, collega, fixture, fileSuDisco, leggiDisco, leggiKv, leggiConPython, altreVociUguali, testo,
} from './harness.mjs';

const NOME = 'La mia scheda.xlsx';
let sito;
before(async () => { sito = await avviaSchede(); });
afterEach(async () => { await chiudiPagine(sito); sito.beside.clear(); });
after(() => sito.chiudi());

const titoli = (page) => page.evaluate(() => sk.settimane.map((w) => w.titolo));

test('two quick clicks add one week; undo takes it away while the card is untouched', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  await page.evaluate(() => Promise.all([creaSettimana(), creaSettimana()]));
  await caricata(page);
  const dopo = await titoli(page);
  assert.equal(dopo.length, 3);
  assert.match(dopo[2], /^3° SETTIMANA \d+ [A-Z]+-\d+ [A-Z]+$/);
  assert.equal(await testo(page, '#skMsg'), `✅ Aggiunta la ${dopo[2]}: è qui sotto, pronta da compilare. Per cambiare le date scrivi nel titolo della settimana.`);
  assert.equal(await testo(page, '.xltitolo'), dopo[2], 'the new week is shown');
  const copia = leggiConPython(sito.temp, await leggiKv(page, 'copia:' + NOME)).foglio;
  assert.ok(Object.values(copia.celle).some((c) => c.v === dopo[2]));
  assert.equal(await page.getAttribute('[data-op="annulla"]', 'title'), `Toglie la «${dopo[2]}»`);

  await page.click('[data-op="annulla"]');
  await page.waitForFunction(() => /^↶ Annullato/.test($('skMsg').textContent));
  await caricata(page);
  assert.equal(page.dialoghi.at(-1), `Tolgo la «${dopo[2]}» e rimetto la scheda com'era prima?`);
  assert.equal(await testo(page, '#skMsg'), `↶ Annullato: la scheda è tornata com'era prima della «${dopo[2]}».`);
  assert.equal((await titoli(page)).length, 2);
  assert.equal(await page.locator('[data-op="annulla"]').count(), 0);
});

test('undo is refused once a load was written after the new week', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  await page.click('[data-op="piu"]');
  await page.waitForFunction(() => sk.settimane.length === 3);
  await caricata(page);
  const titolo = (await titoli(page))[2];
  await page.click('td.xin >> nth=0');
  await page.keyboard.type('40');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  assert.equal(await page.locator('[data-op="annulla"]').count(), 0, 'the button goes away');
  await page.evaluate(() => annullaSettimana());
  assert.equal(await testo(page, '#skMsg'), `Dopo la «${titolo}» la scheda è già stata cambiata (per esempio coi carichi): «↶ Annulla» non la toglie più, così quello che hai scritto non si perde.`);
  assert.equal((await titoli(page)).length, 3);
});

test('removing the last week asks with the count of written cells; declined writes nothing', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const [, seconda] = await titoli(page);
  page.rifiuta = true;
  await page.click('[data-op="meno"]');
  await page.waitForFunction(() => !$('skSett').querySelector('[disabled]'));
  assert.equal(page.dialoghi.at(-1), `Tolgo la «${seconda}»?\n\nCi sono 13 caselle già scritte (carichi e reps): si perdono.\nSubito dopo, «↶ Annulla» la rimette.`);
  assert.equal(await leggiKv(page, 'copia:' + NOME), undefined);
  assert.equal(await testo(page, '#skMsg'), '');
  page.rifiuta = false;
  await page.click('[data-op="meno"]');
  await page.waitForFunction(() => sk.settimane.length === 1);
  await caricata(page);
  assert.equal(await testo(page, '#skMsg'), `✅ Tolta la ${seconda}. Era quella sbagliata? «↶ Annulla» la rimette.`);
  assert.equal(await page.locator('[data-op="meno"]').count(), 0, 'one week left: no minus button');
  await page.click('[data-op="annulla"]');
  await page.waitForFunction(() => sk.settimane.length === 2);
  assert.equal(page.dialoghi.at(-1), `Rimetto la «${seconda}» che hai tolto?`);
  assert.equal(await testo(page, '#skMsg'), `↶ Annullato: la «${seconda}» è di nuovo nella scheda.`);
});

test('on a linked file the week is written into the file and undone byte for byte', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('two-workouts.xlsx'));
  await collega(page);
  const prima = await leggiDisco(page, NOME);
  await page.click('[data-op="piu"]');
  await page.waitForFunction(() => /^✅ Aggiunta/.test($('skMsg').textContent));
  await caricata(page);
  const dopo = await leggiDisco(page, NOME);
  const nuovo = (await titoli(page)).at(-1);
  assert.ok(Object.values(leggiConPython(sito.temp, dopo).foglio.celle).some((c) => c.v === nuovo));
  altreVociUguali(sito.temp, prima, dopo);
  const undo = await page.evaluate(() => ({ dove: sk.undo.dove, nome: sk.undo.nome, scritto: typeof sk.undo.scritto }));
  assert.deepEqual(undo, { dove: 'file', nome: NOME, scritto: 'number' });
  await page.click('[data-op="annulla"]');
  await page.waitForFunction(() => /^↶ Annullato/.test($('skMsg').textContent));
  await caricata(page);
  assert.ok((await leggiDisco(page, NOME)).equals(prima));
});

test('two tabs on the same browser copy: edits and weeks of one are never undone by the other', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const a = await apriSchede(sito);
  const b = await apriSchede(sito, { stessoStore: true });
  const [r1, r2] = await a.$$eval('td.xin:empty', (els) => els.slice(0, 2).map((e) => e.dataset.r));
  for (const [page, rif, v] of [[a, r1, '21'], [b, r2, '22']]) {
    await page.click(`[data-r="${rif}"]`);
    await page.keyboard.type(v);
    await page.keyboard.press('Tab');
    await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  }
  assert.deepEqual(await leggiKv(a, 'mod:' + NOME), { [r1]: '21', [r2]: '22' });
  await a.evaluate(() => creaSettimana());
  await b.evaluate(() => creaSettimana());
  await caricata(b);
  assert.equal((await titoli(b)).length, 4, 'the second tab builds on the week the first one added');
  const copia = leggiConPython(sito.temp, await leggiKv(b, 'copia:' + NOME)).foglio.celle;
  assert.deepEqual([copia[r1].v, copia[r2].v], [21, 22]);
});
