// The linked file: edits reaching it, changes made before linking, the choice between two versions,
// a file open in another program, and access asked again at the first touch.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { chiudiPagine } from '../lib/sito.mjs';
import {
  avviaSchede, apriSchede, caricata, collega, fixture, fileSuDisco, leggiBak, leggiDisco, leggiKv, leggiConPython, altreVociUguali, testo,
  collegataInAttesa,
} from './harness.mjs';

const NOME = 'La mia scheda.xlsx';
let sito;
before(async () => { sito = await avviaSchede(); });
afterEach(async () => { await chiudiPagine(sito); sito.beside.clear(); });
after(() => sito.chiudi());

async function scrivi(page, rif, valore) {
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.press('Control+A');
  await page.keyboard.type(valore);
  await page.keyboard.press('Tab');
}

async function primaVuota(page) {
  return page.locator('td.xin:empty').first().getAttribute('data-r');
}

// Undoing reloads the card, and opening the old-look file restyles it and writes it again: the file
// is read once that write is done, which the old look set aside tells. With several versions set
// aside, the one whose description holds `quale` is chosen from the list.
async function comEraPrima(page, quale) {
  const prima = await page.evaluate(() => Date.now());
  await page.click('#skBottoni button:has-text("Com\'era prima")');
  if (quale) await page.click(`#skBak li:has-text("${quale}") button`);
  // Done when the version put back has had its new look, set aside after it.
  await page.evaluate(async ([n, t]) => {
    const fatto = (b) => b && b.perche === 'stile' && b.quando >= t;
    while (!fatto((await kvLeggi('bak:dispositivo|' + n))?.[0])) await new Promise((r) => setTimeout(r, 20));
  }, [NOME, prima]);
  await caricata(page);
}

test('typing before linking, then linking the unchanged file writes the edits and sets the file aside', async () => {
  const simple = fixture('simple.xlsx');
  sito.beside.set(NOME, simple);
  const page = await apriSchede(sito);
  const rif = await primaVuota(page);
  await scrivi(page, rif, '80');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  await fileSuDisco(page, NOME, simple);
  await collega(page);
  assert.equal(await testo(page, '#skStato'), 'Collegata al file: quello che scrivi va direttamente nel file');
  assert.equal(await testo(page, '#skMsg'), `✅ Ho scritto nel file «${NOME}» le modifiche che avevi fatto in questo browser. Se non ti va bene, «↶ Com'era prima» rimette il file com'era.`);
  const scritto = await leggiDisco(page, NOME);
  const letto = leggiConPython(sito.temp, scritto).foglio;
  assert.equal(letto.celle[rif].v, 80);
  altreVociUguali(sito.temp, simple, scritto, ['xl/worksheets/sheet1.xml', 'xl/styles.xml']);
  assert.equal((await leggiBak(page, NOME))[0].perche, 'collega');
  for (const k of ['copia:', 'mod:', 'base:']) assert.equal(await leggiKv(page, k + NOME), undefined, k);

  await comEraPrima(page);
  assert.match(page.dialoghi.at(-1), /^Rimetto il file com'era prima che ci scrivessi le modifiche fatte in questo browser \(.+\)\?\n\nQuella di adesso la metto da parte: «↶ Com'era prima» la rimette\.$/);
  assert.equal(await testo(page, '#skSalva'), "↶ Fatto: la scheda è tornata com'era prima.");
  // The file came back as it was, and opening it gave it the new look again, with the old one set aside.
  assert.equal(leggiConPython(sito.temp, await leggiDisco(page, NOME)).foglio.celle[rif]?.v ?? null, null);
  assert.ok((await leggiBak(page, NOME))[0].perche === 'stile');
  const tenuto = await page.evaluate(async (n) => crc32((await kvLeggi('bak:dispositivo|' + n))[0].dati), NOME);
  assert.equal(tenuto, await page.evaluate((b64) => crc32(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))), simple.toString('base64')));
});

test('linking a file changed meanwhile asks; keeping the file sets the browser version aside, and it comes back', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await primaVuota(page);
  await scrivi(page, rif, '77');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  const altro = fixture('one-week.xlsx');
  await fileSuDisco(page, NOME, altro);
  await collega(page);
  assert.equal(await page.isVisible('#skAvviso'), true);
  assert.match(await testo(page, '#skAvviso'), new RegExp(`^Quale versione tengo\\?\\s*La casella che hai scritto in questo browser non è ancora nel file «${NOME}», e anche il file è cambiato fuori dal sito \\(ultima modifica .+\\)\\. Quella che non tieni la metto da parte: «↶ Com'era prima» la rimette\\.`));
  assert.equal(await testo(page, '#skStato'), `Collegata a «${NOME}»: scegli qui sotto quale versione tenere · 1 modifica salvata qui`);
  assert.ok((await leggiDisco(page, NOME)).equals(altro), 'nothing written before the choice');

  await page.click('#skAvviso button:has-text("Tieni il file")');
  await page.waitForFunction(() => $('skMsg').textContent && !sk.scelta);
  await caricata(page);
  assert.ok((await testo(page, '#skMsg')).startsWith(`✅ Tengo il file «${NOME}». La versione fatta in questo browser l'ho messa da parte: «↶ Com'era prima» la rimette.`));
  assert.ok((await leggiBak(page, NOME))[0].dati.equals(altro), 'the kept file, as it was, is set aside before its new look');
  assert.deepEqual((await leggiBak(page, NOME)).map((b) => b.perche), ['stile', 'scartata'], 'the file kept gets the new look, the browser version stays aside');
  await comEraPrima(page, 'scartato');
  assert.equal(leggiConPython(sito.temp, await leggiDisco(page, NOME)).foglio.celle[rif].v, 77);
});

test('keeping the browser version writes it and sets the changed file aside', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await primaVuota(page);
  await scrivi(page, rif, '66');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  const altro = fixture('one-week.xlsx');
  await fileSuDisco(page, NOME, altro);
  await collega(page);
  await page.click('#skAvviso button:has-text("Tieni quello fatto qui")');
  await page.waitForFunction(() => $('skMsg').textContent && !sk.scelta);
  await caricata(page);
  assert.equal(await testo(page, '#skMsg'), `✅ Ho scritto nel file «${NOME}» la versione fatta in questo browser. Se non ti va bene, «↶ Com'era prima» rimette il file com'era.`);
  assert.equal(leggiConPython(sito.temp, await leggiDisco(page, NOME)).foglio.celle[rif].v, 66);
  const bak = await page.evaluate(async (n) => { const [b] = await kvLeggi('bak:dispositivo|' + n); return [b.perche, crc32(b.dati)]; }, NOME);
  const crcAltro = await page.evaluate((b64) => crc32(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))), altro.toString('base64'));
  assert.deepEqual(bak, ['collega', crcAltro]);
  assert.equal(await testo(page, '#skStato'), 'Collegata al file: quello che scrivi va direttamente nel file');
});

test('quick edits make one write; a file open elsewhere keeps them waiting until a retry writes the newest', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('simple.xlsx'));
  await collega(page);
  const rifs = await page.$$eval('td.xin:empty', (els) => els.slice(0, 3).map((e) => e.dataset.r));
  await page.evaluate(() => { window.__scritture = 0; });
  // Three edits well within the pause, whatever the machine's speed.
  await page.evaluate((r) => r.forEach((rif, i) => registra(rif, String(50 + i))), rifs);
  await page.waitForFunction(() => /^Salvato nel file ✓ alle \d\d:\d\d$/.test($('skSalva').textContent));
  assert.equal(await page.evaluate(() => window.__scritture), 1, 'one write for the three edits');
  let celle = leggiConPython(sito.temp, await leggiDisco(page, NOME)).foglio.celle;
  assert.deepEqual(rifs.map((r) => celle[r].v), [50, 51, 52]);

  const prima = await leggiDisco(page, NOME);
  await page.evaluate(() => { window.__bloccato = true; });
  await scrivi(page, rifs[0], '60');
  await scrivi(page, rifs[1], '61');
  await page.waitForSelector('#skSalva button:has-text("Riprova a salvare")');
  assert.equal(await testo(page, '#skSalva'), 'Il file sembra aperto in un altro programma: chiudilo e riprova. Quello che hai scritto non è ancora nel file, non chiudere la pagina: Riprova a salvare');
  await scrivi(page, rifs[0], '62');
  await page.waitForFunction(() => !sk.timer && !sk.scrivendo && $('skSalva').querySelector('button'));
  assert.ok((await leggiDisco(page, NOME)).equals(prima), 'nothing reached the file');
  assert.deepEqual(await page.evaluate(() => sk.attesa), { [rifs[0]]: '62', [rifs[1]]: '61' });
  await page.evaluate(() => { window.__bloccato = false; });
  await page.click('#skSalva button:has-text("Riprova a salvare")');
  await page.waitForFunction(() => /^Salvato nel file ✓/.test($('skSalva').textContent));
  celle = leggiConPython(sito.temp, await leggiDisco(page, NOME)).foglio.celle;
  assert.deepEqual(rifs.map((r) => celle[r].v), [62, 61, 52]);
});

test('after reopening, the reserve copy shows; Shift and Tab do not ask for access, a click does', async () => {
  const page = await apriSchede(sito);
  await collegataInAttesa(page, NOME, fixture('simple.xlsx'));
  assert.equal(await testo(page, '#skStato'), `Collegata a «${NOME}» · tocca la scheda per riaprire il file`);
  assert.ok(await page.locator('td.xin').count() > 0, 'the table shows from the reserve copy');
  await page.focus('td.xin');
  await page.keyboard.press('Shift');
  await page.keyboard.press('Tab');
  await page.waitForTimeout(300);
  assert.deepEqual(await page.evaluate(() => window.__richieste), []);
  await page.click('td.xnome');
  await page.waitForFunction(() => sk.posto === 'file');
  await caricata(page);
  assert.deepEqual(await page.evaluate(() => window.__richieste), [NOME]);
  assert.equal(await testo(page, '#skStato'), 'Collegata al file: quello che scrivi va direttamente nel file');
});

test('leaving with edits the file refused raises the leave-page question', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('simple.xlsx'));
  await collega(page);
  await page.evaluate(() => { window.__bloccato = true; });
  await scrivi(page, await primaVuota(page), '12');
  await page.waitForSelector('#skSalva button:has-text("Riprova a salvare")');
  const domanda = page.waitForEvent('dialog');
  page.close({ runBeforeUnload: true });
  assert.equal((await domanda).type(), 'beforeunload');
});
