// The page opened from disk: its card comes from the script beside it, typing keeps a browser copy
// with a one-time hint, and a chosen file is checked against the card beside the page.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { copyFileSync, mkdirSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath, pathToFileURL } from 'node:url';
import { launchBrowser } from '../lib/browser.mjs';
import { avviaSchede, caricata, fixture, leggiKv, testo } from './harness.mjs';

const sitoDir = join(dirname(fileURLToPath(import.meta.url)), '..', '..', '..', 'site');
const NOME = 'Scheda Anna.xlsx';
let sito;
let browser;
let cartella;
let crcInclusa;
before(async () => {
  sito = await avviaSchede();
  cartella = join(sito.temp, 'Schede palestra');
  mkdirSync(cartella);
  copyFileSync(join(sitoDir, 'index.html'), join(cartella, 'index.html'));
  const bytes = fixture('simple.xlsx');
  const page = await sito.context.newPage();
  await page.goto(sito.base);
  crcInclusa = await page.evaluate((b64) => crc32(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))), bytes.toString('base64'));
  await page.close();
  const inclusa = { nome: NOME, dati: bytes.toString('base64'), mtime: Date.UTC(2026, 10, 20, 9, 30), crc: crcInclusa };
  writeFileSync(join(cartella, 'scheda-inclusa.js'), `window.__TS_SCHEDA_INCLUSA__ = ${JSON.stringify(inclusa)};\n`);
  browser = await launchBrowser({ locale: 'it-IT', timezoneId: 'Europe/Rome' });
});
after(async () => {
  await browser.close();
  await sito.chiudi();
});

// `tenuti`: storage entries the page finds, as an earlier page of this browser left them.
async function apriDaDisco(tenuti = {}) {
  const page = await browser.context.newPage();
  page.dialoghi = [];
  page.errori = [];
  page.on('pageerror', (e) => page.errori.push(e));
  page.on('dialog', (d) => { page.dialoghi.push(d.message()); if (d.type() === 'confirm' && page.rifiuta) d.dismiss(); else d.accept(); });
  // Wide screens open the engine: this suite is about the table.
  await page.addInitScript((t) => {
    localStorage.setItem('ts_xl_vista', '"tabella"');
    for (const [k, v] of Object.entries(t)) localStorage.setItem(k, v);
  }, tenuti);
  await page.goto(pathToFileURL(join(cartella, 'index.html')).href + '#schede');
  await caricata(page);
  return page;
}

test('the included card is the default card; typing shows the hint once, with the folder as Windows writes it', async () => {
  let page = await apriDaDisco();
  assert.equal(await page.evaluate(() => FILE_SCHEDA), NOME);
  assert.equal(await testo(page, '#skNome'), NOME);
  assert.match(await testo(page, '.xltitolo'), /^2° SETTIMANA/);
  assert.equal(await page.evaluate(() => sk.origine), crcInclusa, 'the copy would be born from the included card');
  const rif = await page.locator('td.xin:empty').first().getAttribute('data-r');
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('55');
  await page.keyboard.press('Tab');
  await page.waitForSelector('#skAvviso:not([hidden])');
  const windows = cartella.replace(/\//g, '\\');
  assert.equal(await testo(page, '#skAvviso'), `Salvato in questo browser. Per scriverlo anche nel file «${NOME}» della cartella ${windows}, premi «Collega il file» e scegli quel file (una volta sola).📎 Collega il fileHo capito`);
  assert.equal(await leggiKv(page, 'base:' + NOME), crcInclusa);
  await page.click('#skAvviso button:has-text("Ho capito")');
  assert.equal(await page.isVisible('#skAvviso'), false);
  // The mark is stored; the page opened again finds it. Headless, the browser now and then loses a
  // file page's storage write on the way to the next page (reloaded or new, even after another tab
  // saw it), so the page opened again is given the mark this page stored.
  const segno = await page.evaluate(() => localStorage.getItem('ts_avviso_collega'));
  assert.equal(segno, 'true');
  await page.close();
  page = await apriDaDisco({ ts_avviso_collega: segno });
  assert.equal(await testo(page, `[data-r="${rif}"]`), '55');
  await page.click('td.xin:empty >> nth=0');
  await page.keyboard.type('1');
  await page.keyboard.press('Tab');
  await page.waitForTimeout(500);
  assert.equal(await testo(page, '#skAvviso'), '', 'the hint is given once');
  assert.deepEqual(page.errori, []);
  await page.close();
});

test('a chosen file with another name, or older than the card beside the page, is questioned', async () => {
  const page = await apriDaDisco();
  page.rifiuta = true;
  const windows = cartella.replace(/\//g, '\\');
  const esiti = await page.evaluate(async () => [
    await controllaFileScelto(new File([new Uint8Array([1, 2, 3])], 'Altro.xlsx', { lastModified: Date.now() })),
    await controllaFileScelto(new File([new Uint8Array([1, 2, 3])], 'Scheda Anna.xlsx', { lastModified: Date.UTC(2026, 9, 1, 8, 0) })),
    await controllaFileScelto(new File([new Uint8Array([1, 2, 3])], 'Scheda Anna.xlsx', { lastModified: Date.UTC(2026, 11, 1, 8, 0) })),
  ]);
  assert.deepEqual(esiti, [false, false, true]);
  assert.equal(page.dialoghi[0], `Hai scelto «Altro.xlsx», ma la scheda che stai usando è «${NOME}».\n\nQuello giusto è «${NOME}» nella cartella ${windows}.\n\nLo collego lo stesso?`);
  assert.equal(page.dialoghi[1], `Il file che hai scelto è più vecchio (1 ottobre 2026 alle ore 10:00) di quello che c'è accanto a questa pagina: forse è una copia rimasta in Download.\n\nQuello giusto è «${NOME}» nella cartella ${windows}.\n\nLo collego lo stesso?`);
  assert.equal(page.dialoghi.length, 2);
  await page.close();
});

test('opened from disk, the test cloud gives its athletes the card beside the page', async () => {
  const page = await apriDaDisco();
  const file = await page.evaluate(async () => {
    await accendiProva();
    return Object.keys(leggiProva().file).length;
  });
  assert.equal(file, await page.evaluate(() => leggiProva().profili.filter((p) => p.ruolo === 'atleta').length));
  assert.ok(file > 0);
});
