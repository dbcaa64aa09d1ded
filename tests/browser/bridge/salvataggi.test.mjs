// The engine's saves reaching the card's place: the browser copy and a linked file, the
// backup of the card as it was, saves that cannot be written, late saves for another card,
// and a copy changed by another tab meanwhile.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { SCHEDA, attendi, avvia, apri, apriSchede, celle, fileCollegato, fixture, kv, scriviInStilaro, stilaroPronto, testoDi, ultimoBak } from './banco.mjs';

const ANNO = fixture('year-card.xlsx');
const ORA = /alle \d\d:\d\d$/;
let sito;

before(async () => {
  sito = await avvia();
});

after(async () => {
  await sito?.chiudi();
});

const statoIs = (page, re) => page.waitForFunction((s) => new RegExp(s).test($('stStato').textContent), re.source, { timeout: 15000 });

test('typing in the engine lands in the browser copy, with the card as it was set aside', async () => {
  const page = await apriSchede(sito, { copia: ANNO });
  await stilaroPronto(page);
  const prima = celle(sito, ANNO, ['E621', 'F622']);
  await scriviInStilaro(page, 'E621', '101');
  await statoIs(page, /^Salvato in questo browser ✓ alle \d\d:\d\d$/);
  assert.match(await testoDi(page, 'skSalva'), /^Salvato in questo browser ✓ alle \d\d:\d\d$/);
  assert.deepEqual(celle(sito, await kv(page, 'copia:' + SCHEDA), ['E621', 'F622']), { E621: 101, F622: prima.F622 });
  const bak = await ultimoBak(page);
  assert.equal(bak.perche, 'stilaro');
  assert.equal(celle(sito, bak.dati, ['E621']).E621, prima.E621);
  // A second save keeps the first backup: it is the card before this session in the engine.
  await scriviInStilaro(page, 'E622', '102');
  await page.waitForFunction(async () => stilaro.foglio_da_salvare() === false);
  await page.evaluate(() => confermaStilaro());
  assert.deepEqual(celle(sito, await kv(page, 'copia:' + SCHEDA), ['E621', 'E622']), { E621: 101, E622: 102 });
  assert.equal((await kv(page, 'bak:dispositivo|' + SCHEDA)).length, 1);
  assert.equal(celle(sito, (await ultimoBak(page)).dati, ['E621']).E621, prima.E621);
  // The page took the engine's bytes as its own: no reload of what the engine already shows.
  assert.equal(await page.evaluate(() => stil.versione === sk.versione), true);
  await page.close();
});

test('with a linked file the save goes into the file and its reserve copy', async () => {
  const page = await apriSchede(sito, { file: ANNO });
  await stilaroPronto(page);
  assert.equal(await page.evaluate(() => sk.posto), 'file');
  await scriviInStilaro(page, 'G621', '88,5');
  await statoIs(page, /^Salvato nel file ✓ alle \d\d:\d\d$/);
  const scritto = await fileCollegato(page);
  assert.equal(celle(sito, scritto, ['G621']).G621, 88.5);
  assert.ok(scritto.equals(await kv(page, 'cache:' + SCHEDA)));
  await page.close();
});

// A file held by another program, while the test says so.
function BLOCCO() {
  const crea = FileSystemFileHandle.prototype.createWritable;
  window.__bloccato = false;
  FileSystemFileHandle.prototype.createWritable = function (...a) {
    if (window.__bloccato) return Promise.reject(new DOMException('Cannot write', 'NoModificationAllowedError'));
    return crea.apply(this, a);
  };
}

test('a file that cannot be written keeps the change unsaved, and leaving for the table asks', async () => {
  const page = await apriSchede(sito, { file: ANNO, init: [BLOCCO] });
  await stilaroPronto(page);
  await page.evaluate(() => { window.__bloccato = true; });
  await scriviInStilaro(page, 'E621', '55');
  await statoIs(page, /^Non salvato: /);
  assert.equal(await testoDi(page, 'stStato'), 'Non salvato: Il file sembra aperto in un altro programma: chiudilo e riprova.');
  assert.equal(await testoDi(page, 'skSalva'), 'Non salvato: Il file sembra aperto in un altro programma: chiudilo e riprova.');
  assert.equal(await page.evaluate(() => stilaro.foglio_da_salvare()), true);
  page.rifiuta = true;
  await page.getByRole('button', { name: 'Tabella', exact: true }).click();
  await attendi(() => page.dialoghi.length === 1, 'the question');
  assert.deepEqual(page.dialoghi, ['Alcune modifiche fatte in Stilaro non sono ancora salvate. Passo lo stesso alla tabella? Quelle modifiche si perdono.']);
  assert.equal(await page.evaluate(() => [sk.vista, stil.avviato].join()), 'stilaro,true');
  assert.equal(celle(sito, await fileCollegato(page), ['E621']).E621, celle(sito, ANNO, ['E621']).E621);
  // Once the file is free again, the same switch saves first and asks nothing.
  page.rifiuta = false;
  await page.evaluate(() => { window.__bloccato = false; });
  await page.getByRole('button', { name: 'Tabella', exact: true }).click();
  await page.waitForFunction(() => sk.vista === 'tabella' && !stil.avviato, null, { timeout: 15000 });
  assert.equal(page.dialoghi.length, 1);
  assert.equal(celle(sito, await fileCollegato(page), ['E621']).E621, 55);
  await page.close();
});

test('a late save for a card no longer shown is set aside for its own card and answered as done', async () => {
  const page = await apriSchede(sito, { copia: ANNO });
  await stilaroPronto(page);
  await page.evaluate(async (altra) => {
    window.__esiti = [];
    const esito = stilaro.foglio_esito;
    stilaro.foglio_esito = (ok, testo) => { window.__esiti.push([ok, testo]); esito(ok, testo); };
    // The card queue is busy: the switch to another card is queued before the engine's save.
    inCodaScheda(() => new Promise((ok) => { window.__libera = ok; }));
    const db = await new Promise((ok) => { const r = indexedDB.open('tarvela', 1); r.onsuccess = () => ok(r.result); });
    await new Promise((ok) => {
      const t = db.transaction('kv', 'readwrite');
      t.objectStore('kv').put(new Uint8Array(altra), 'copia:Altra.xlsx');
      t.objectStore('kv').put(true, 'vecchio_aspetto:Altra.xlsx');
      t.oncomplete = ok;
    });
    scegliNome('Altra.xlsx');
    caricaScheda();
  }, [...fixture('simple.xlsx')]);
  await scriviInStilaro(page, 'E621', '999');
  await page.evaluate(() => { stilaro.foglio_conferma(); window.__libera(); });
  await page.waitForFunction(() => window.__esiti.length === 1 && sk.versione === stil.versione && stil.identita.endsWith('Altra.xlsx'), null, { timeout: 15000 });
  assert.deepEqual(await page.evaluate(() => window.__esiti), [[true, '']]);
  assert.equal(celle(sito, await kv(page, 'copia:' + SCHEDA), ['E621']).E621, celle(sito, ANNO, ['E621']).E621);
  assert.ok((await kv(page, 'copia:Altra.xlsx')).equals(fixture('simple.xlsx')));
  assert.equal(await kv(page, 'bak:dispositivo|Altra.xlsx'), undefined);
  const messo = await ultimoBak(page);
  assert.equal(messo.perche, 'sospesa');
  assert.equal(celle(sito, messo.dati, ['E621']).E621, 999);
  await page.close();
});

test('a copy changed in another tab: the engine\'s next save goes to the backup, the page shows the other version', async () => {
  const uno = await apriSchede(sito, { copia: ANNO });
  await stilaroPronto(uno);
  const due = await apri(sito, { percorso: '#schede' });
  await stilaroPronto(due);
  await scriviInStilaro(due, 'E622', '55');
  await statoIs(due, ORA);
  await scriviInStilaro(uno, 'E623', '66');
  await statoIs(uno, /^Cambiata altrove: quello che avevi scritto è messo da parte$/);
  assert.equal(await testoDi(uno, 'skSalva'), "La scheda era stata cambiata in un'altra finestra o fuori dal sito: adesso vedi quella. Quello che avevi appena scritto in Stilaro l'ho messo da parte: «↶ Com'era prima» lo rimette.");
  const bak = await ultimoBak(uno);
  assert.equal(bak.perche, 'conflitto');
  assert.deepEqual(celle(sito, bak.dati, ['E622', 'E623']).E623, 66);
  const copia = celle(sito, await kv(uno, 'copia:' + SCHEDA), ['E622', 'E623']);
  assert.equal(copia.E622, 55);
  assert.notEqual(copia.E623, 66);
  // The first tab now shows the other tab's version, in the engine too.
  await uno.waitForFunction(() => stil.avviato && stil.versione === sk.versione);
  assert.equal(celle(sito, Buffer.from(await uno.evaluate(() => [...new Uint8Array(sk.bytes)])), ['E622']).E622, 55);
  await uno.close();
  await due.close();
});

test('a linked file changed outside the site is read again when the window is back, the engine too', async () => {
  const page = await apriSchede(sito, { file: ANNO });
  await stilaroPronto(page);
  const altra = fixture('two-workouts.xlsx');
  await page.evaluate(async ([bytes, nome]) => {
    const h = await (await navigator.storage.getDirectory()).getFileHandle(nome);
    const w = await h.createWritable();
    await w.write(new Uint8Array(bytes));
    await w.close();
    window.dispatchEvent(new Event('focus'));
  }, [[...altra], SCHEDA]);
  await page.waitForFunction(() => /Il file è stato cambiato fuori dal sito/.test($('skSalva').textContent), null, { timeout: 15000 });
  assert.equal(await testoDi(page, 'skSalva'), 'Il file è stato cambiato fuori dal sito: adesso vedi la versione nuova.');
  await page.waitForFunction(() => stil.avviato && stil.versione === sk.versione);
  assert.equal(await page.evaluate(() => stil.inizio.length), altra.length);
  await page.close();
});

test('a change the engine still holds is never replaced by a file changed outside: it goes to the backup', async () => {
  const page = await apriSchede(sito, { file: ANNO, init: [BLOCCO] });
  await stilaroPronto(page);
  await page.evaluate(() => { window.__bloccato = true; });
  await scriviInStilaro(page, 'E621', '321');
  await statoIs(page, /^Non salvato: /);
  await page.evaluate(async ([bytes, nome]) => {
    window.__bloccato = false;
    const h = await (await navigator.storage.getDirectory()).getFileHandle(nome);
    const w = await h.createWritable();
    await w.write(new Uint8Array(bytes));
    await w.close();
    window.__bloccato = true;
    window.dispatchEvent(new Event('focus'));
  }, [[...fixture('two-workouts.xlsx')], SCHEDA]);
  await page.waitForTimeout(500);
  assert.equal(await page.evaluate(() => stilaro.foglio_da_salvare()), true, 'still the member\'s change');
  await page.evaluate(() => { window.__bloccato = false; stilaro.foglio_conferma(); });
  await statoIs(page, /^Cambiata altrove: /);
  const bak = await ultimoBak(page);
  assert.equal(bak.perche, 'conflitto');
  assert.equal(celle(sito, bak.dati, ['E621']).E621, 321);
  assert.ok((await fileCollegato(page)).equals(fixture('two-workouts.xlsx')));
  await page.close();
});

test('a linked card shown restyled from its reserve copy saves without a false conflict', async () => {
  const vecchia = fixture('simple.xlsx');
  const page = await apriSchede(sito, {
    riserva: vecchia,
    aspetto: true,
    init: [() => { FileSystemHandle.prototype.queryPermission = async () => 'denied'; }],
  });
  await stilaroPronto(page);
  assert.equal(await page.evaluate(() => sk.posto), 'copia');
  assert.equal(await page.evaluate(() => sk.bytes.byteLength !== sk.rifatte.get(sk.origine)?.byteLength), false, 'shown restyled');
  await scriviInStilaro(page, 'E18', '81');
  await statoIs(page, /^Salvato in questo browser ✓ alle \d\d:\d\d$/);
  assert.equal(celle(sito, await kv(page, 'copia:' + SCHEDA), ['E18']).E18, 81);
  await page.close();
});

test('table edits the file refused keep the engine closed until they are written', async () => {
  const page = await apriSchede(sito, { file: ANNO, init: [BLOCCO], storage: { ts_xl_vista: '"tabella"' } });
  await page.waitForFunction(() => sk.posto === 'file' && document.querySelector('td.xin:empty'));
  await page.evaluate(() => { window.__bloccato = true; });
  const rif = await page.locator('td.xin:empty').first().getAttribute('data-r');
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('44');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => /Riprova a salvare/.test($('skSalva').textContent), null, { timeout: 15000 });
  await page.getByRole('button', { name: 'Stilaro', exact: true }).click();
  await page.waitForFunction(() => stil.errore !== '', null, { timeout: 15000 });
  assert.equal(await page.evaluate(() => stil.errore), 'Dettaglio: quello che hai scritto nella tabella non è ancora nel file (è aperto in un altro programma?): chiudilo e premi «Riprova»');
  assert.equal(await page.evaluate(() => stil.avviato), false);
  // Once the file is free, "Riprova" writes the edit first and the engine opens on it.
  await page.evaluate(() => { window.__bloccato = false; });
  await page.getByRole('button', { name: 'Riprova', exact: true }).click();
  await stilaroPronto(page);
  assert.equal(celle(sito, await fileCollegato(page), [rif])[rif], 44);
  assert.equal(celle(sito, Buffer.from(await page.evaluate(() => [...stil.inizio])), [rif])[rif], 44);
  await page.close();
});
