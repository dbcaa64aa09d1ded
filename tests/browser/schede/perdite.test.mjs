// What a member typed on this device is never lost: a tab closed at once, a card restyled while
// versions are set aside, several versions set aside one after another, a touch on the engine
// that must reopen the linked file, an undo that cannot read the card.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { chiudiPagine } from '../lib/sito.mjs';
import { avviaSchede, apriSchede, caricata, collega, fixture, fileSuDisco, leggiBak, leggiDisco, leggiKv, leggiConPython, testo, collegataInAttesa } from './harness.mjs';

const NOME = 'La mia scheda.xlsx';
let sito;
before(async () => { sito = await avviaSchede(); });
afterEach(async () => { await chiudiPagine(sito); sito.beside.clear(); });
after(() => sito.chiudi());

const cella = (bytes, rif) => leggiConPython(sito.temp, bytes).foglio.celle[rif]?.v ?? null;

// An init script that fills the browser store once, before the page first reads it.
const bytesDi = (buffer) => ({ __b64: buffer.toString('base64') });
function seminaKv(voci) {
  return `(${(json) => {
    if (sessionStorage.getItem('__seminata')) return;
    sessionStorage.setItem('__seminata', '1');
    const valore = (v) => {
      if (Array.isArray(v)) return v.map(valore);
      if (!v || typeof v !== 'object') return v;
      if ('__b64' in v) return Uint8Array.from(atob(v.__b64), (c) => c.charCodeAt(0)).buffer;
      return Object.fromEntries(Object.entries(v).map(([k, x]) => [k, valore(x)]));
    };
    const r = indexedDB.open('tarvela', 1);
    r.onupgradeneeded = () => r.result.createObjectStore('kv');
    r.onsuccess = () => {
      const t = r.result.transaction('kv', 'readwrite');
      for (const [chiave, v] of Object.entries(JSON.parse(json))) t.objectStore('kv').put(valore(v), chiave);
    };
  }})(${JSON.stringify(JSON.stringify(voci))})`;
}

async function primaVuota(page) {
  return page.locator('td.xin:empty').first().getAttribute('data-r');
}

test('a load typed and left at once, the tab closed within the pause, is there when the card opens again', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await primaVuota(page);
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('70');
  const chiusa = new Promise((fatto) => page.once('close', fatto));
  await page.close({ runBeforeUnload: true });
  await chiusa;
  const g = await giornale(sito);
  const di = await apriSchede(sito, { stessoStore: true, storage: g ? { ts_giornale: g } : {} });
  await di.waitForFunction((r) => (sk.mod[r] ?? '') === '70', rif, { timeout: 15000 });
  assert.equal(await di.$eval(`[data-r="${rif}"]`, (el) => el.textContent), '70');
  assert.equal((await leggiKv(di, 'mod:' + NOME))[rif], '70');
  assert.equal(await di.evaluate(() => localStorage.getItem('ts_giornale')), null, 'replayed and stored: the journal is empty');
});

// The journal a closed tab left behind: its local storage is the profile's, read from a page of the origin.
async function giornale(s, chiave = 'ts_giornale') {
  const p = await s.context.newPage();
  await p.goto(s.base + 'manifest.json');
  const g = await p.evaluate((k) => localStorage.getItem(k), chiave);
  await p.close();
  return g;
}

test('an old-look card opened while another version is set aside takes the new look and keeps taking edits', async () => {
  const page = await apriSchede(sito, {
    storage: { ts_xl_vista: '"stilaro"' },
    init: [seminaKv({
      'copia:La mia scheda.xlsx': bytesDi(fixture('simple.xlsx')),
      'bak_foglio:La mia scheda.xlsx': { nome: 'La mia scheda.xlsx', dove: '', dati: bytesDi(fixture('simple.xlsx')), quando: 1, perche: 'scartata' },
    })],
  });
  await page.waitForFunction(() => stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
  assert.deepEqual((await leggiBak(page, NOME)).map((b) => b.perche), ['stile', 'scartata']);
  await page.evaluate(() => stilaro.foglio_vai('E18'));
  await page.keyboard.type('81');
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => /^Salvato in questo browser ✓/.test($('stStato').textContent), null, { timeout: 20000 });
  assert.equal(cella(await leggiKv(page, 'copia:' + NOME), 'E18'), 81);
  await page.reload();
  await caricata(page);
  assert.equal(await page.evaluate(() => sk.bak.map((b) => b.perche).join()), 'stilaro,stile,scartata');
});

test('versions set aside pile up newest first; the older one comes back and the present one goes aside', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await primaVuota(page);
  await page.evaluate(async ([r]) => {
    for (const v of ['1', '2']) await tieniDaParte(nomeScheda(), await (await scriviCelle(sk.bytes, { [r]: v })).arrayBuffer(), 'conflitto');
    // A card of the same name in an account keeps its own list.
    await tieniDaParte(nomeScheda(), await (await scriviCelle(sk.bytes, { [r]: '9' })).arrayBuffer(), 'conflitto', 'cloud:u1|' + nomeScheda());
    renderFileBar();
  }, [rif]);
  assert.deepEqual((await leggiBak(page, NOME)).map((b) => cella(b.dati, rif)), [2, 1]);
  assert.deepEqual((await leggiBak(page, NOME, 'cloud:u1')).map((b) => cella(b.dati, rif)), [9]);

  await page.click('#skBottoni button:has-text("Com\'era prima")');
  const righe = await page.$$eval('#skBak li span', (els) => els.map((e) => e.lastChild.textContent));
  assert.equal(righe.length, 2);
  assert.ok(righe.every((r) => r === 'quello che avevi scritto in Stilaro mentre la scheda veniva cambiata altrove'));
  await page.click('#skBak li:nth-child(2) button');
  await page.waitForFunction(() => /^↶ Fatto/.test($('skSalva').textContent));
  await caricata(page);
  assert.equal(cella(await leggiKv(page, 'copia:' + NOME), rif), 1);
  const dopo = await leggiBak(page, NOME);
  assert.deepEqual(dopo.map((b) => b.perche), ['ripristino', 'conflitto']);
  assert.deepEqual(dopo.map((b) => cella(b.dati, rif)), [null, 2]);
});

test('a full list drops the versions the page can make again before the ones only a backup holds', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const perche = await page.evaluate(async () => {
    const prova = (i) => new Uint8Array([i, 1, 2, 3]).buffer;
    await tieniDaParte(nomeScheda(), prova(100), 'conflitto');
    for (let i = 0; i < 12; i++) await tieniDaParte(nomeScheda(), prova(i), i % 4 ? 'stilaro' : 'stile');
    await tieniDaParte(nomeScheda(), prova(11), 'stilaro');
    return sk.bak.map((b) => b.perche + new Uint8Array(b.dati)[0]);
  });
  assert.equal(perche.length, 8);
  assert.equal(perche.at(-1), 'conflitto100');
  assert.deepEqual(perche.slice(0, 7), ['stilaro11', 'stilaro10', 'stilaro9', 'stile8', 'stilaro7', 'stilaro6', 'stilaro5'], 'the same version twice is kept once');
});

test('a click on the engine reopens the linked file the browser waits to grant', async () => {
  const page = await apriSchede(sito, { storage: { ts_xl_vista: '"stilaro"' } });
  await collegataInAttesa(page, NOME, fixture('simple.xlsx'));
  assert.equal(await testo(page, '#skStato'), `Collegata a «${NOME}» · tocca la scheda per riaprire il file`);
  await page.waitForFunction(() => stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
  await page.click('#stFoglio');
  await page.waitForFunction(() => sk.posto === 'file', null, { timeout: 15000 });
  assert.deepEqual(await page.evaluate(() => window.__richieste), [NOME]);
});

test('an undo that cannot read the card refuses, and the edits made after the week stay', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('simple.xlsx'));
  await collega(page);
  await page.click('[data-op="piu"]');
  await page.waitForFunction(() => /^✅ Aggiunta/.test($('skMsg').textContent));
  await caricata(page);
  await page.evaluate(async () => {
    const rif = document.querySelector('td.xin:empty').dataset.r;
    window.__rif = rif;
    registra(rif, '64');
    await salvaNelFile();
    const leggi = FileSystemFileHandle.prototype.getFile;
    FileSystemFileHandle.prototype.getFile = function () {
      FileSystemFileHandle.prototype.getFile = leggi;
      return Promise.reject(new DOMException('The file could not be read.', 'NotReadableError'));
    };
  });
  await page.evaluate(() => annullaSettimana());
  assert.match(await testo(page, '#skMsg'), /^Non riesco a leggere la scheda, così non so se dopo la «.+» è cambiata/);
  const rif = await page.evaluate(() => window.__rif);
  assert.equal(cella(await leggiDisco(page, NOME), rif), 64);
  assert.equal(page.dialoghi.length, 0, 'nothing asked, nothing written');
});

test('a tab closed while the engine\'s save is still on its way leaves the edit aside for the next opening', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito, { storage: { ts_xl_vista: '"stilaro"' } });
  await page.waitForFunction(() => stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
  // The browser store answers nothing more: the save cannot land before the tab goes.
  await page.evaluate(() => { window.kvScrivi = () => new Promise(() => {}); });
  await page.evaluate(() => stilaro.foglio_vai('E18'));
  await page.keyboard.type('83');
  await page.keyboard.press('Enter');
  const chiusa = new Promise((fatto) => page.once('close', fatto));
  await page.close({ runBeforeUnload: true });
  await chiusa;
  const g = await giornale(sito, 'ts_giornale_stilaro');
  assert.ok(g, 'the engine\'s bytes were kept when the tab went');
  const di = await apriSchede(sito, { stessoStore: true, storage: { ts_giornale_stilaro: g } });
  const [messo] = await leggiBak(di, NOME);
  assert.equal(messo.perche, 'sospesa');
  assert.equal(cella(messo.dati, 'E18'), 83);
  assert.match(await testo(di, '#skMsg'), /^Quello che avevi scritto in Stilaro prima di chiudere la pagina/);
});

test('keys typed in the engine while the next card is read stay with the card they were typed in', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const page = await apriSchede(sito, { storage: { ts_xl_vista: '"stilaro"' } });
  await page.waitForFunction(() => stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
  page.once('filechooser', (fc) => fc.setFiles({ name: 'Nuova.xlsx', mimeType: 'application/octet-stream', buffer: fixture('one-week.xlsx') }));
  await page.evaluate(() => aggiungiScheda());
  await page.waitForFunction(() => stil.identita === 'dispositivo|Nuova.xlsx' && $('stCopri').hidden, null, { timeout: 20000 });
  // The next card's read waits until the member has typed in the sheet still shown.
  await page.evaluate(() => {
    const leggi = caricaSchedaOra;
    window.caricaSchedaOra = async () => { await new Promise((via) => { window.__via = via; }); return leggi(); };
  });
  const cambio = page.evaluate((n) => apriScheda(n), NOME);
  await page.waitForFunction(() => window.__via);
  assert.equal(await page.evaluate(() => inStilaro(document.activeElement)), false, 'the covered sheet has no keyboard');
  // Keys that reach it all the same (the member clicked back into it) are kept for their card.
  await page.evaluate(() => { stilaro.foglio_vai('E18'); stil.campo.focus(); });
  await page.keyboard.type('84');
  await page.keyboard.press('Enter');
  await page.evaluate(() => window.__via());
  await cambio;
  await page.waitForFunction((n) => stil.identita === 'dispositivo|' + n && $('stCopri').hidden, NOME, { timeout: 20000 });
  await page.evaluate(() => Promise.all([sk.coda, stil.coda]));
  const versioni = [await leggiKv(page, 'copia:Nuova.xlsx'), ...(await leggiBak(page, 'Nuova.xlsx')).map((b) => b.dati)].filter(Boolean);
  assert.ok(versioni.some((v) => cella(v, 'E18') === 84), 'the value typed is in its card or set aside for it');
  assert.match(await testo(page, '#skMsg'), /nella scheda «Nuova» non si è potuto salvare: l'ho messo da parte/);
});

test('a tab keeps its own card when another tab adds one: its edits never go to the other card', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const prima = await apriSchede(sito);
  const seconda = await apriSchede(sito, { stessoStore: true });
  prima.once('filechooser', (fc) => fc.setFiles({ name: 'Nuova.xlsx', mimeType: 'application/octet-stream', buffer: fixture('one-week.xlsx') }));
  await prima.evaluate(() => aggiungiScheda());
  await prima.waitForFunction(() => nomeScheda() === 'Nuova.xlsx' && sk.bytes);
  const rif = await primaVuota(seconda);
  await seconda.click(`[data-r="${rif}"]`);
  await seconda.keyboard.type('66');
  await seconda.keyboard.press('Tab');
  await seconda.waitForFunction(() => /^Salvato/.test($('skSalva').textContent), null, { timeout: 15000 });
  assert.equal((await leggiKv(seconda, 'mod:' + NOME))?.[rif], '66');
  assert.equal(await leggiKv(seconda, 'mod:Nuova.xlsx'), undefined);
});

test('a load a closed tab left for another card of this browser reaches that card when any card opens', async () => {
  sito.beside.set(NOME, fixture('simple.xlsx'));
  const giornale = JSON.stringify({ ['dispositivo|' + NOME]: { nome: NOME, celle: { E18: '77' } } });
  const page = await apriSchede(sito, {
    storage: { ts_giornale: giornale, ts_file_scheda: '"Nuova.xlsx"' },
    init: [seminaKv({ 'copia:Nuova.xlsx': bytesDi(fixture('one-week.xlsx')), schede: ['Nuova.xlsx'] })],
  });
  assert.equal(await page.evaluate(() => nomeScheda()), 'Nuova.xlsx');
  assert.deepEqual(await leggiKv(page, 'mod:' + NOME), { E18: '77' });
  assert.equal(await page.evaluate(() => localStorage.getItem('ts_giornale')), null);
});

test('a linked file another program saves over is shown new, and the version the page had written is kept', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('simple.xlsx'));
  await collega(page);
  const rif = await primaVuota(page);
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('58');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => /^Salvato nel file/.test($('skSalva').textContent), null, { timeout: 15000 });
  await fileSuDisco(page, NOME, fixture('one-week.xlsx'));
  await page.evaluate(() => window.dispatchEvent(new Event('focus')));
  await page.waitForFunction(() => /cambiato fuori dal sito/.test($('skSalva').textContent), null, { timeout: 15000 });
  const messa = (await leggiBak(page, NOME)).find((b) => b.perche === 'sovrascritta');
  assert.ok(messa, 'the version saved over is set aside');
  assert.equal(cella(messa.dati, rif), 58);
});

test('a card added while the shown one keeps unwritten edits: declining the switch adds no message, the edits stay', async () => {
  const page = await apriSchede(sito);
  await fileSuDisco(page, NOME, fixture('simple.xlsx'));
  await collega(page);
  await page.evaluate(async () => {
    window.__bloccato = true;
    registra(document.querySelector('td.xin:empty').dataset.r, '59');
    await salvaNelFile();
  });
  page.rifiuta = true;
  page.once('filechooser', (fc) => fc.setFiles({ name: 'Nuova.xlsx', mimeType: 'application/octet-stream', buffer: fixture('one-week.xlsx') }));
  await page.evaluate(() => aggiungiScheda());
  assert.match(page.dialoghi.at(-1), /^Quello che hai scritto in questa scheda non si è potuto salvare nel file\. Cambio scheda lo stesso\?/);
  assert.doesNotMatch(await testo(page, '#skMsg'), /Aggiunta/);
  assert.equal(await page.evaluate(() => [nomeScheda(), Object.values(sk.attesa).join()].join()), `${NOME},59`);
});

test('an error whose words hold an apostrophe reads as written in the card\'s status line', async () => {
  const page = await apriSchede(sito);
  await page.evaluate(() => renderFileBar(new Error("manca l'ultima riga")));
  assert.equal(await testo(page, '#skStato'), "Qualcosa è andato storto: manca l'ultima riga. Il file non è stato toccato.");
});
