// Several cards on the device: adding, switching, downloading, removing; the new look and its backup.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import zlib from 'node:zlib';
import { join } from 'node:path';
import { chiudiPagine, testi } from '../lib/sito.mjs';
import { avviaSchede, apriSchede, caricata, fixture, leggiDisco, leggiKv, leggiConPython, testo, FIXTURE } from './harness.mjs';

const NOME = 'La mia scheda.xlsx';
let sito;
before(async () => { sito = await avviaSchede(); });
afterEach(async () => { await chiudiPagine(sito); sito.beside.clear(); });
after(() => sito.chiudi());

async function aggiungi(page, nome, bytes) {
  const scelta = page.waitForEvent('filechooser');
  await page.click('#skBottoni button:has-text("Aggiungi scheda"):visible, .skvuoto button:has-text("Aggiungi scheda")');
  await (await scelta).setFiles({ name: nome, mimeType: 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet', buffer: bytes });
}

test('a file that is not a workbook is refused and nothing is stored', async () => {
  const page = await apriSchede(sito);
  await aggiungi(page, 'Rotta.xlsx', readFileSync(join(FIXTURE, 'broken-not-zip.xlsx')));
  await page.waitForFunction(() => $('skMsg').textContent);
  assert.equal(await testo(page, '#skMsg'), 'Qualcosa è andato storto: il file non è un .xlsx valido. Il file non è stato toccato.');
  assert.equal(await leggiKv(page, 'copia:Rotta.xlsx'), undefined);
  assert.equal(await leggiKv(page, 'schede'), undefined);
});

test('a second card: added, chosen from the list, switched, replaced after asking, removed', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  assert.equal(await page.locator('#skBottoni button:has-text("Togli scheda")').count(), 0, 'the default card is not removable');
  const due = fixture('two-workouts.xlsx');
  await aggiungi(page, 'Seconda.xlsx', due);
  await page.waitForFunction(() => /Aggiunta la scheda/.test($('skMsg').textContent));
  await caricata(page);
  assert.match(await testo(page, '#skMsg'), /^✅ Aggiunta la scheda «Seconda»: la trovi nell'elenco qui sopra\./);
  assert.deepEqual(await page.$$eval('#skNome option', (o) => o.map((x) => [x.textContent, x.selected])), [['La mia scheda', false], ['Seconda', true]]);
  assert.deepEqual(await testi(page, '.xltab'), ['1° allenamento', '2° allenamento', 'Tutti']);
  assert.deepEqual(await leggiKv(page, 'schede'), ['Seconda.xlsx']);
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('ts_file_scheda'))), 'Seconda.xlsx');

  await page.selectOption('#skNome select', NOME);
  await page.waitForFunction(() => nomeScheda() === 'La mia scheda.xlsx' && sk.bytes);
  await caricata(page);
  assert.deepEqual(await testi(page, '.xltab'), ['1° allenamento'], 'one workout: no Tutti');
  await page.selectOption('#skNome select', 'Seconda.xlsx');
  await page.waitForFunction(() => nomeScheda() === 'Seconda.xlsx');
  await caricata(page);

  page.rifiuta = true;
  await aggiungi(page, 'Seconda.xlsx', fixture('one-week.xlsx'));
  await page.waitForTimeout(1500);
  assert.equal(page.dialoghi.at(-1), 'Hai già una scheda «Seconda.xlsx». La sostituisco con questo file?');
  assert.deepEqual(await testi(page, '.xltab'), ['1° allenamento', '2° allenamento', 'Tutti'], 'declined: the card stays');
  page.rifiuta = false;

  await page.click('#skBottoni button:has-text("Togli scheda")');
  await page.waitForFunction(() => nomeScheda() === 'La mia scheda.xlsx');
  await caricata(page);
  assert.equal(page.dialoghi.at(-1), "Tolgo la scheda «Seconda» da questo dispositivo?\n\nSe non l'hai scaricata, quello che c'è scritto si perde. Se hai collegato un file sul computer, quello resta com'è.");
  assert.deepEqual(await leggiKv(page, 'schede'), []);
  for (const k of ['copia:', 'base:', 'mod:']) assert.equal(await leggiKv(page, k + 'Seconda.xlsx'), undefined);
  assert.equal(await page.locator('#skNome select').count(), 0);
});

test('the chooser lists only cards that are here; removing one shows the next', async () => {
  const page = await apriSchede(sito);
  await aggiungi(page, 'Seconda.xlsx', fixture('two-workouts.xlsx'));
  await page.waitForFunction(() => /Aggiunta la scheda/.test($('skMsg').textContent));
  await caricata(page);
  assert.equal(await page.locator('#skNome select').count(), 0, 'one card: no chooser');
  assert.equal(await testo(page, '#skNome'), 'Seconda.xlsx');
  for (const nome of ['Terza.xlsx', 'Quarta.xlsx']) {
    await aggiungi(page, nome, fixture('one-week.xlsx'));
    await page.waitForFunction((n) => nomeScheda() === n && sk.bytes, nome);
    await caricata(page);
  }
  const scelte = () => page.$$eval('#skNome option', (o) => o.map((x) => x.textContent));
  assert.deepEqual(await scelte(), ['Seconda', 'Terza', 'Quarta']);
  await page.selectOption('#skNome select', 'Terza.xlsx');
  await page.waitForFunction(() => nomeScheda() === 'Terza.xlsx' && sk.bytes);
  await caricata(page);
  await page.click('#skBottoni button:has-text("Togli scheda")');
  await page.waitForFunction(() => nomeScheda() === 'Quarta.xlsx' && sk.bytes);
  await caricata(page);
  assert.deepEqual(await scelte(), ['Seconda', 'Quarta']);
  await page.click('#skBottoni button:has-text("Togli scheda")');
  await page.waitForFunction(() => nomeScheda() === 'Seconda.xlsx' && sk.bytes);
  await caricata(page);
  assert.equal(await page.locator('#skNome select').count(), 0);
  // A card removed in another tab: the remembered name gives way to the card that is left.
  await page.evaluate(() => kvScrivi('schede', ['Seconda.xlsx', 'Sparita.xlsx']));
  await page.evaluate(() => localStorage.setItem('ts_file_scheda', '"Sparita.xlsx"'));
  await page.reload();
  await caricata(page);
  assert.equal(await page.evaluate(() => [nomeScheda(), !!sk.bytes].join()), 'Seconda.xlsx,true');
});

test('downloading: into a chosen file, or as a browser download, with the table edits', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await page.locator('td.xin:empty').first().getAttribute('data-r');
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('33');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');

  await page.evaluate(() => { window.__salvaIn = 'Scaricata.xlsx'; });
  await page.click('#skBottoni button:has-text("Scarica")');
  await page.waitForFunction(() => /^⬇ Salvata/.test($('skMsg').textContent));
  assert.equal(await testo(page, '#skMsg'), '⬇ Salvata in «Scaricata.xlsx». Se era un file che avevi già, adesso è aggiornato.');
  assert.deepEqual(await page.evaluate(() => window.__salvataggio), {
    suggestedName: NOME, id: 'scarica',
    types: [{ description: 'Scheda (.xlsx)', accept: { 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet': ['.xlsx'] } }],
  });
  assert.equal(leggiConPython(sito.temp, await leggiDisco(page, 'Scaricata.xlsx')).foglio.celle[rif].v, 33);

  await page.evaluate(() => { delete window.showSaveFilePicker; });
  const arrivo = page.waitForEvent('download');
  await page.click('#skBottoni button:has-text("Scarica")');
  const scaricato = await arrivo;
  assert.equal(scaricato.suggestedFilename(), NOME);
  const bytes = readFileSync(await scaricato.path());
  assert.equal(leggiConPython(sito.temp, bytes).foglio.celle[rif].v, 33);
  assert.equal(await testo(page, '#skMsg'), '⬇ Scaricata: la trovi nella cartella Download.');

  // Inside the phone app the bytes go to its bridge, which answers whether it could write them.
  await page.evaluate(() => {
    window.TarvelaApp = { chiamate: [], esito: true, salva(...a) { this.chiamate.push(a); return this.esito; } };
  });
  await page.click('#skBottoni button:has-text("Scarica")');
  await page.waitForFunction(() => TarvelaApp.chiamate.length === 1);
  assert.equal(await testo(page, '#skMsg'), '⬇ Salvata nella cartella Download del telefono.');
  const [nome, tipo, base64] = await page.evaluate(() => TarvelaApp.chiamate[0]);
  assert.deepEqual([nome, tipo], [NOME, 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet']);
  assert.equal(leggiConPython(sito.temp, Buffer.from(base64, 'base64')).foglio.celle[rif].v, 33);
  await page.evaluate(() => { TarvelaApp.esito = false; });
  await page.click('#skBottoni button:has-text("Scarica")');
  await page.waitForFunction(() => TarvelaApp.chiamate.length === 2);
  assert.equal(await testo(page, '#skMsg'), 'Non sono riuscito a salvarla nel telefono.');
});

test('a stored copy with the old look gets the new one; restoring the old look keeps it for good', async () => {
  const simple = fixture('simple.xlsx');
  const page = await apriSchede(sito);
  await page.evaluate(async (b64) => { await kvScrivi('copia:La mia scheda.xlsx', Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)).buffer); }, simple.toString('base64'));
  await page.reload();
  await caricata(page);
  assert.equal(await testo(page, '#skMsg'), "✨ Ho dato alla scheda il nuovo aspetto: i colori della palestra e caselle grandi quanto il testo, così si legge tutto. Se la preferivi com'era, «↶ Com'era prima» la rimette.");
  const nuova = await leggiKv(page, 'copia:' + NOME);
  assert.ok(!nuova.equals(simple));
  const titolo = leggiConPython(sito.temp, nuova).foglio.celle.A5;
  assert.equal(titolo.stile.fondo, 'FF16161A', 'the week title has the black fill');
  assert.equal(await page.getAttribute('#skBottoni button:has-text("Com\'era prima")', 'title'), 'Rimette la scheda col vecchio aspetto (prima dei colori nuovi e delle caselle allargate)');

  await page.click('#skBottoni button:has-text("Com\'era prima")');
  await page.waitForFunction(() => /^↶ Fatto/.test($('skSalva').textContent));
  await caricata(page);
  assert.ok((await leggiKv(page, 'copia:' + NOME)).equals(simple));
  assert.equal(await leggiKv(page, 'vecchio_aspetto:' + NOME), true);
  await page.reload();
  await caricata(page);
  assert.ok((await leggiKv(page, 'copia:' + NOME)).equals(simple), 'not restyled again');
  assert.equal(await testo(page, '#skMsg'), '');
});

test('a card read beside the page keeps its new look for the next visit, and loses it when the card there changes', async () => {
  const crc = (b) => zlib.crc32(b) >>> 0;
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const visto = () => page.evaluate(() => ({ origine: sk.origine, crc: sk.crc }));
  const prima = await visto();
  assert.equal(prima.origine, crc(fixture('simple.xlsx')));
  assert.notEqual(prima.crc, prima.origine, 'shown with the new look');
  assert.equal((await leggiKv(page, 'stile:' + NOME)).crc, prima.origine);
  await page.reload();
  await caricata(page);
  assert.deepEqual(await visto(), prima, 'the same new look, kept');
  sito.beside.set(NOME, fixture('one-week.xlsx'));
  await page.reload();
  await caricata(page);
  const dopo = await visto();
  assert.equal(dopo.origine, crc(fixture('one-week.xlsx')));
  assert.notEqual(dopo.crc, prima.crc, 'never the look of the card that was there before');
  assert.equal((await leggiKv(page, 'stile:' + NOME)).crc, dopo.origine);
});

test('backups kept by older pages join the list of their own card and place, and only theirs', async () => {
  const page = await apriSchede(sito);
  const esito = await page.evaluate(async (nome) => {
    await kvScrivi('bak_foglio', { nome, dati: new ArrayBuffer(4), quando: 1, perche: 'stilaro' });
    await kvScrivi('bak_foglio:' + nome, { nome, dove: 'cloud:u1', dati: new ArrayBuffer(4), quando: 2, perche: 'conflitto' });
    const altra = await bakDi('dispositivo|Altra scheda.xlsx', 'Altra scheda.xlsx');
    const nostra = await bakDi('dispositivo|' + nome, nome);
    return {
      altra: altra.length,
      nostra: nostra.map((b) => b.perche),
      vecchia: await kvOpzionale('bak_foglio'),
      diUnAccount: (await kvOpzionale('bak_foglio:' + nome)).dove,
      nuova: (await kvOpzionale('bak:dispositivo|' + nome)).map((b) => b.perche),
    };
  }, NOME);
  assert.deepEqual(esito, { altra: 0, nostra: ['stilaro'], vecchia: undefined, diUnAccount: 'cloud:u1', nuova: ['stilaro'] });
});
