// Shared harness of the Schede suites: the real page over HTTP, a card served beside it when a test
// wants one, OPFS files standing in for files on disk, and openpyxl reading what the page wrote.
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { avviaSito, apri } from '../lib/sito.mjs';

const qui = dirname(fileURLToPath(import.meta.url));
export const FIXTURE = join(qui, '..', '..', 'fixtures', 'cards');
export const fixture = (nome) => readFileSync(join(FIXTURE, nome));

// Pickers and permissions of the test page only: the open picker hands out the OPFS file named in
// window.__scelto (or cancels), permission answers come from window.__permessi (kept across reloads
// in sessionStorage), writes are counted and refused while window.__bloccato is set.
export const FINTI_FILE = `(() => {
  window.__permessi = JSON.parse(sessionStorage.getItem('__permessi') || '{}');
  window.__richieste = [];
  window.__scritture = 0;
  const crea = FileSystemFileHandle.prototype.createWritable;
  FileSystemFileHandle.prototype.createWritable = async function (o) {
    window.__scritture++;
    if (window.__bloccato) throw new DOMException('Cannot write to a read-only file.', 'NoModificationAllowedError');
    return crea.call(this, o);
  };
  const query = FileSystemHandle.prototype.queryPermission;
  const request = FileSystemHandle.prototype.requestPermission;
  FileSystemHandle.prototype.queryPermission = async function (o) {
    return window.__permessi[this.name] || query.call(this, o);
  };
  FileSystemHandle.prototype.requestPermission = async function (o) {
    const stato = window.__permessi[this.name];
    if (!stato) return request.call(this, o);
    if (stato !== 'prompt') return stato;
    if (!navigator.userActivation.isActive) {
      throw new DOMException("Failed to execute 'requestPermission' on 'FileSystemHandle': User activation is required to request permissions.", 'SecurityError');
    }
    window.__richieste.push(this.name);
    window.__permessi[this.name] = 'granted';
    return 'granted';
  };
  window.showOpenFilePicker = async (opzioni) => {
    window.__apertura = JSON.parse(JSON.stringify(opzioni));
    if (!window.__scelto) throw new DOMException('The user aborted a request.', 'AbortError');
    const dir = await navigator.storage.getDirectory();
    return [await dir.getFileHandle(window.__scelto, { create: true })];
  };
  window.showSaveFilePicker = async (opzioni) => {
    window.__salvataggio = JSON.parse(JSON.stringify(opzioni));
    if (!window.__salvaIn) throw new DOMException('The user aborted a request.', 'AbortError');
    const dir = await navigator.storage.getDirectory();
    return dir.getFileHandle(window.__salvaIn, { create: true });
  };
})();`;

export async function avviaSchede(opzioni = {}) {
  const sito = await avviaSito(opzioni);
  const temp = mkdtempSync(join(tmpdir(), 'tarvela-schede-'));
  sito.beside = new Map();
  // Files beside the page: a missing one gets the main page, as some hosts answer.
  await sito.context.route((url) => /\.xlsx$/i.test(url.pathname), async (route) => {
    const nome = decodeURIComponent(new URL(route.request().url()).pathname.split('/').pop());
    const bytes = sito.beside.get(nome);
    if (bytes) await route.fulfill({ status: 200, contentType: 'application/octet-stream', body: bytes });
    else await route.fulfill({ status: 200, contentType: 'text/html', body: '<!doctype html><title>Tarvela</title>' });
  });
  const chiudi = sito.chiudi;
  sito.chiudi = async () => {
    await chiudi();
    rmSync(temp, { recursive: true, force: true });
  };
  sito.temp = temp;
  return sito;
}

// The first load of each tab starts from an empty browser store and no files on disk; reloads keep them.
const STORE_VUOTO = `(() => {
  if (window !== window.top || sessionStorage.getItem('__vuoto')) return;
  sessionStorage.setItem('__vuoto', '1');
  indexedDB.deleteDatabase('tarvela');
  navigator.storage.getDirectory().then(async (dir) => {
    for await (const nome of dir.keys()) await dir.removeEntry(nome);
  }).catch(() => {});
})();`;

// Opens the Schede page and waits for the first card load to end.
// A second tab of the same browser passes { stessoStore: true } to see what the first one stored.
export async function apriSchede(sito, opzioni = {}) {
  // Wide screens open the engine: these suites are about the table.
  const storage = { ts_xl_vista: '"tabella"', ...(opzioni.storage || {}) };
  const init = [...(opzioni.stessoStore ? [] : [STORE_VUOTO]), FINTI_FILE, ...(opzioni.init || [])];
  const page = await apri(sito, { percorso: '#schede', ...opzioni, storage, init });
  await caricata(page);
  return page;
}

export async function caricata(page) {
  await page.waitForFunction(() => typeof sk !== 'undefined' && $('skStato').textContent !== 'Carico la scheda…');
  await page.evaluate(() => sk.coda);
}

// An OPFS file with the given bytes, as a file on disk would be.
export async function fileSuDisco(page, nome, bytes) {
  await page.evaluate(async ([n, b64]) => {
    const dir = await navigator.storage.getDirectory();
    const h = await dir.getFileHandle(n, { create: true });
    const w = await h.createWritable();
    await w.write(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)));
    await w.close();
  }, [nome, Buffer.from(bytes).toString('base64')]);
}

export async function leggiDisco(page, nome) {
  const b64 = await page.evaluate(async (n) => {
    const dir = await navigator.storage.getDirectory();
    // A read that meets the page's own write as it replaces the file finds nothing for a moment.
    let b = null;
    for (let i = 0; !b; i++) {
      try {
        b = new Uint8Array(await (await (await dir.getFileHandle(n)).getFile()).arrayBuffer());
      } catch (e) {
        if (e.name !== 'NotFoundError' || i === 50) throw e;
        await new Promise((r) => setTimeout(r, 20));
      }
    }
    let s = '';
    for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
    return btoa(s);
  }, nome);
  return Buffer.from(b64, 'base64');
}

export async function leggiKv(page, chiave) {
  const v = await page.evaluate(async (k) => {
    const valore = await kvLeggi(k);
    if (valore instanceof ArrayBuffer || ArrayBuffer.isView(valore) || valore instanceof Blob) {
      const b = new Uint8Array(valore instanceof Blob ? await valore.arrayBuffer() : ArrayBuffer.isView(valore) ? valore.buffer : valore);
      let s = '';
      for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
      return { __b64: btoa(s) };
    }
    if (valore && typeof valore === 'object' && valore.dati) return { ...valore, dati: null, __dati: true };
    return valore === undefined ? { __assente: true } : valore;
  }, chiave);
  if (v && v.__assente) return undefined;
  if (v && v.__b64) return Buffer.from(v.__b64, 'base64');
  return v;
}

// What openpyxl and Python's zipfile read in a file the page wrote.
export function leggiConPython(temp, bytes, nome = 'risultato.xlsx') {
  const file = join(temp, nome);
  writeFileSync(file, bytes);
  return JSON.parse(execFileSync('/usr/bin/python3', [join(qui, '..', 'card', 'lettore_xlsx.py'), file], { encoding: 'utf8', maxBuffer: 1 << 28 }));
}

// Every entry but the sheet (and, when restyled, the styles) keeps its raw bytes and order.
export function altreVociUguali(temp, prima, dopo, cambiate = ['xl/worksheets/sheet1.xml']) {
  const a = leggiConPython(temp, prima, 'prima.xlsx').voci;
  const b = leggiConPython(temp, dopo, 'dopo.xlsx').voci;
  if (JSON.stringify(a.map((v) => v.nome)) !== JSON.stringify(b.map((v) => v.nome))) throw new Error('entry order changed');
  a.forEach((v, i) => {
    if (!cambiate.includes(v.nome) && v.grezzi !== b[i].grezzi) throw new Error(`${v.nome} changed`);
  });
}

export function testo(page, selettore) {
  return page.$eval(selettore, (el) => el.textContent.replace(/\s+/g, ' ').trim());
}

// Links the OPFS file `nome` through the page's own button, as a member would.
export async function collega(page, nome = 'La mia scheda.xlsx') {
  await page.evaluate((n) => { window.__scelto = n; }, nome);
  await page.click('#skBottoni button:has-text("Collega il file"):visible, #skBottoni button:has-text("Cambia file"):visible, .skvuoto button:has-text("Collega il file")');
  await page.waitForFunction(() => sk.handle && sk.coda);
  await caricata(page);
}

// The versions set aside for one card place ("dispositivo" or "cloud:{folder}"), newest first.
export async function leggiBak(page, nome, dove = 'dispositivo') {
  const lista = await page.evaluate(async (k) => {
    const l = await kvLeggi(k);
    return Array.isArray(l) ? l.map((b) => ({ ...b, dati: aBase64(b.dati) })) : [];
  }, `bak:${dove}|${nome}`);
  return lista.map((b) => ({ ...b, dati: Buffer.from(b.dati, 'base64') }));
}

// A card linked to the OPFS file `nome`, then the page opened again with the browser still to
// grant access: it shows the reserve copy and waits for the first touch.
export async function collegataInAttesa(page, nome, bytes) {
  await fileSuDisco(page, nome, bytes);
  await collega(page);
  await page.evaluate((n) => sessionStorage.setItem('__permessi', JSON.stringify({ [n]: 'prompt' })), nome);
  await page.reload();
  await caricata(page);
}
