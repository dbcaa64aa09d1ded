// Harness of the engine-view suites: the real site from the dev server, the card served
// beside the page or put in the browser's store, the real engine files, and openpyxl
// reading back whatever the page wrote.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { avviaSito, apri } from '../lib/sito.mjs';

export { apri };

const qui = dirname(fileURLToPath(import.meta.url));
const radice = join(qui, '..', '..', '..');
export const SCHEDA = 'La mia scheda.xlsx';
export const fixture = (nome) => readFileSync(join(radice, 'tests', 'fixtures', 'cards', nome));
export const SCATTI = join(radice, 'out', 'screenshots', 'bridge');

export async function avvia(opzioni) {
  const sito = await avviaSito(opzioni);
  sito.temp = mkdtempSync(join(tmpdir(), 'tarvela-ponte-'));
  sito.richieste = [];
  sito.context.on('request', (r) => sito.richieste.push(new URL(r.url()).pathname));
  const chiudi = sito.chiudi;
  sito.chiudi = async () => {
    await chiudi();
    rmSync(sito.temp, { recursive: true, force: true });
  };
  return sito;
}

// The card beside the page, as a host would serve it.
export async function schedaAccanto(sito, bytes) {
  await sito.context.unroute('**/La%20mia%20scheda.xlsx*').catch(() => {});
  await sito.context.route('**/La%20mia%20scheda.xlsx*', (route) =>
    route.fulfill({ status: 200, contentType: 'application/octet-stream', body: bytes }));
}

// Opens the Schede page; with `copia` the card is first put in the browser's store, with
// `file` an origin-private file stands in for a linked file on disk, with `riserva` that file
// is linked and only its reserve copy holds the card. `aspetto` lets the page restyle the card.
export async function apriSchede(sito, { copia, file, riserva, aspetto = false, storage = {}, viewport, init } = {}) {
  // Storage is prepared on a bare page of the same origin, so the card page loads only once.
  const page = await apri(sito, { storage, viewport, init, percorso: 'preparazione' });
  // Every page starts from an empty store: the tabs of one file share it.
  await page.evaluate(async ([bytes, comeFile, nome, comeRiserva, restyle]) => {
    const db = await new Promise((ok, ko) => {
      const r = indexedDB.open('tarvela', 1);
      r.onupgradeneeded = () => r.result.createObjectStore('kv');
      r.onsuccess = () => ok(r.result);
      r.onerror = () => ko(r.error);
    });
    await new Promise((ok) => {
      const t = db.transaction('kv', 'readwrite');
      t.objectStore('kv').clear();
      t.oncomplete = ok;
    });
    // The card keeps the look it has: these suites are about the engine, not the restyle.
    if (!restyle) {
      await new Promise((ok) => {
        const t = db.transaction('kv', 'readwrite');
        t.objectStore('kv').put(true, 'vecchio_aspetto:' + nome);
        t.oncomplete = ok;
      });
    }
    if (bytes) {
      const dati = new Uint8Array(bytes);
      let valore = dati;
      let chiave = 'copia:' + nome;
      if (comeFile || comeRiserva) {
        const cartella = await navigator.storage.getDirectory();
        const handle = await cartella.getFileHandle(nome, { create: true });
        const w = await handle.createWritable();
        await w.write(dati);
        await w.close();
        valore = handle;
        chiave = 'handle:' + nome;
      }
      await new Promise((ok, ko) => {
        const t = db.transaction('kv', 'readwrite');
        t.objectStore('kv').put(valore, chiave);
        if (comeRiserva) t.objectStore('kv').put(dati, 'cache:' + nome);
        t.oncomplete = ok;
        t.onerror = () => ko(t.error);
      });
    }
    db.close();
  }, [copia || file || riserva ? [...(copia || file || riserva)] : null, !!file, SCHEDA, !!riserva, aspetto]);
  await page.goto(sito.base + '#schede', { waitUntil: 'domcontentloaded' });
  return page;
}

// A value of the page's store ("tarvela" / "kv"); bytes, also inside a record, come back as Buffers.
export async function kv(page, chiave) {
  const v = await page.evaluate(async (k) => {
    const db = await new Promise((ok, ko) => {
      const r = indexedDB.open('tarvela', 1);
      r.onsuccess = () => ok(r.result);
      r.onerror = () => ko(r.error);
    });
    const valore = await new Promise((ok) => {
      const t = db.transaction('kv');
      const q = t.objectStore('kv').get(k);
      t.oncomplete = () => ok(q.result);
    });
    db.close();
    const byte = (b) => (b instanceof Uint8Array || b instanceof ArrayBuffer ? { byte: [...new Uint8Array(b)] } : b);
    const record = (r) => (r && r.dati ? { ...r, dati: byte(r.dati) } : byte(r));
    return Array.isArray(valore) ? valore.map(record) : record(valore);
  }, chiave);
  const buffer = (b) => (b && b.byte ? Buffer.from(b.byte) : b);
  const record = (r) => (r && r.dati ? { ...r, dati: buffer(r.dati) } : buffer(r));
  return Array.isArray(v) ? v.map(record) : record(v);
}

// The newest version set aside for a card of this device.
export async function ultimoBak(page, nome = SCHEDA) {
  return (await kv(page, 'bak:dispositivo|' + nome))?.[0];
}

// The linked file's present bytes, from inside the page.
export async function fileCollegato(page) {
  const b = await page.evaluate(async (nome) => {
    const cartella = await navigator.storage.getDirectory();
    const f = await (await cartella.getFileHandle(nome)).getFile();
    return [...new Uint8Array(await f.arrayBuffer())];
  }, SCHEDA);
  return Buffer.from(b);
}

// Cells of the active sheet as openpyxl reads them.
export function celle(sito, bytes, rifs) {
  const file = join(sito.temp, `letta-${Date.now()}-${Math.random()}.xlsx`);
  writeFileSync(file, bytes);
  return JSON.parse(execFileSync('/usr/bin/python3', [join(qui, '..', 'engine', 'xlsx-cells.py'), file, ...rifs], { encoding: 'utf8' })).cells;
}

// The engine running on the card, its cover gone.
export async function stilaroPronto(page) {
  await page.waitForFunction(() => typeof stil !== 'undefined' && stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
}

// Types a value into a cell of the running engine, as the member would after going there.
export async function scriviInStilaro(page, rif, testo) {
  await page.evaluate((r) => stilaro.foglio_vai(r), rif);
  await page.keyboard.type(testo);
  await page.keyboard.press('Enter');
}

export const testoDi = (page, id) => page.evaluate((i) => document.getElementById(i).textContent.replace(/\s+/g, ' ').trim(), id);

export async function attendi(condizione, cosa, ms = 15000) {
  const fine = Date.now() + ms;
  while (!(await condizione())) {
    if (Date.now() > fine) throw new Error('still waiting for ' + cosa);
    await new Promise((ok) => setTimeout(ok, 50));
  }
}
