// The real world of a walk: the dev server, one Chromium, and for each walk a fresh browser
// context (the member's device) whose tabs open the card page, an origin-private file standing
// in for the linked file, the fake cloud holding the athlete's card, and failures armed for the
// next write of IndexedDB, of the file or of the cloud.
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { startServer } from '../lib/serve.mjs';
import { FINTI_FILE, fileSuDisco } from '../schede/harness.mjs';
import { CHIAVE, PROGETTO, collega as collegaCloud, conCloud, creaFinto, sessione } from '../cloud/finto-cloud.mjs';

const qui = dirname(fileURLToPath(import.meta.url));
export const SCHEDA = 'La mia scheda.xlsx';
export const CARTA = readFileSync(join(qui, '..', '..', 'fixtures', 'cards', 'one-week.xlsx'));
export const ATLETA = { id: '00000000-0000-4000-8000-0000000000b1', email: 'atleta@palestra.test', password: 'segreta1' };
export const CARTA_DISPOSITIVO = 'dispositivo|' + SCHEDA;
export const CARTA_CLOUD = `cloud:${ATLETA.id}|${SCHEDA}`;
const OGGETTO = ATLETA.id + '/' + SCHEDA;
const XLSX = 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet';

// Armed failures live in localStorage so that they hit the next write of whichever tab makes it.
// The save-line and engine-line observers count every rewrite, so a command can wait for the
// page's own answer to what it just did.
const GUASTI = `(() => {
  if (window !== window.top || location.pathname !== '/') return;
  const scala = (chiave) => {
    const n = Number(localStorage.getItem(chiave) || 0);
    if (n > 0) localStorage.setItem(chiave, String(n - 1));
    return n > 0;
  };
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (...a) {
    if (scala('__guasto_idb')) throw new DOMException('The quota has been exceeded.', 'QuotaExceededError');
    return put.apply(this, a);
  };
  const crea = FileSystemFileHandle.prototype.createWritable;
  FileSystemFileHandle.prototype.createWritable = async function (...a) {
    if (scala('__guasto_file')) throw new DOMException('Cannot write to a read-only file.', 'NoModificationAllowedError');
    return crea.apply(this, a);
  };
  window.__righe = { skSalva: 0, stStato: 0, skMsg: 0 };
  const osserva = () => {
    for (const id of Object.keys(window.__righe)) {
      const el = document.getElementById(id);
      if (el) new MutationObserver(() => { window.__righe[id]++; }).observe(el, { childList: true, characterData: true, subtree: true });
    }
  };
  if (document.readyState === 'loading') document.addEventListener('DOMContentLoaded', osserva);
  else osserva();
  if (!localStorage.getItem('__preparato')) {
    localStorage.setItem('__preparato', '1');
    localStorage.setItem('ts_xl_vista', '"tabella"');
  }
})();`;

export async function avviaBanco() {
  const server = await startServer();
  const browser = await chromium.launch({
    executablePath: '/usr/bin/chromium', headless: true,
    args: ['--no-sandbox', '--disable-gpu', '--no-first-run', '--disable-background-networking', '--disable-component-update', '--disable-sync'],
  });
  // The page as the fake cloud's project serves it, read once for every tab of every walk.
  const pagina = conCloud(await (await fetch(server.base)).text(), PROGETTO, CHIAVE);
  return {
    base: server.base,
    browser,
    pagina,
    async chiudi() {
      await browser.close();
      await server.stop();
    },
  };
}

// A device: a browser context of its own, sharing the server and the fake cloud. `rete.offline`
// cuts this device from the cloud.
async function dispositivo(banco, f, rete) {
  const context = await banco.browser.newContext({
    viewport: { width: 1320, height: 880 }, locale: 'it-IT', timezoneId: 'Europe/Rome', serviceWorkers: 'block',
  });
  const origine = new URL(banco.base).origin;
  await context.route((url) => url.origin !== origine, (route) => route.abort());
  await context.route((url) => /\.xlsx$/i.test(url.pathname) && url.origin === origine, (route) =>
    route.fulfill({ status: 200, contentType: 'application/octet-stream', body: CARTA }));
  await collegaCloud({ context }, f);
  await context.route((url) => url.origin === origine && (url.pathname === '/' || url.pathname === '/index.html'), (route) =>
    route.fulfill({ status: 200, contentType: 'text/html; charset=utf-8', body: banco.pagina }));
  // Failures of the cloud, answered before the fake: the next upload, or everything while offline.
  await context.route((url) => url.hostname === new URL(PROGETTO).hostname, async (route) => {
    const req = route.request();
    const carica = req.method() === 'POST' && new URL(req.url()).pathname.startsWith('/storage/v1/object/schede/');
    if (rete.offline || (carica && f.guasti > 0)) {
      if (carica && !rete.offline) f.guasti--;
      return route.abort('internetdisconnected');
    }
    return route.fallback();
  });
  await context.addInitScript(FINTI_FILE);
  await context.addInitScript(GUASTI);
  return context;
}

// One walk's world. The cloud starts with the athlete's card in his folder; the member's device
// with nothing but the card beside the page. The athlete's second device is made when first used.
export async function nuovoMondo(banco, registro = () => {}) {
  const f = creaFinto();
  f.utente(ATLETA.id, ATLETA.email, ATLETA.password, 'Atleta Prova');
  f.oggetti.set(OGGETTO, { byte: Buffer.from(CARTA), tipo: XLSX });
  f.guasti = 0;
  const rete = { offline: false };
  const context = await dispositivo(banco, f, rete);
  return { banco, context, f, rete, tab: [null, null], altro: null, registro, errori: [], domande: [] };
}

// The second device's tab, signed in to the athlete's account and showing the table.
export async function altroDispositivo(mondo) {
  if (mondo.altro && !mondo.altro.isClosed()) return mondo.altro;
  const context = await dispositivo(mondo.banco, mondo.f, { offline: false });
  mondo.contextAltro = context;
  await context.addInitScript(([chiave, valore]) => {
    if (!localStorage.getItem(chiave)) localStorage.setItem(chiave, valore);
  }, ['sb-progetto-auth-token', JSON.stringify(sessione(ATLETA))]);
  const page = await context.newPage();
  risponde(mondo, page, 'altro dispositivo');
  page.on('pageerror', (e) => mondo.errori.push(`altro dispositivo: ${e.message}`));
  await page.goto(mondo.banco.base + '#schede', { waitUntil: 'domcontentloaded' });
  await caricata(page);
  await page.waitForFunction(() => sk.posto === 'cloud', null, ATTESA);
  mondo.altro = page;
  return page;
}

export async function chiudiMondo(mondo) {
  await mondo.context.close().catch(() => {});
  if (mondo.contextAltro) await mondo.contextAltro.close().catch(() => {});
}

// A tab of the card page. The member answers no to a question that warns of losing what he
// typed, yes to every other, and insists on leaving when the page asks before closing.
export async function apriTab(mondo, i) {
  const page = await mondo.context.newPage();
  risponde(mondo, page, 'tab ' + i);
  page.on('pageerror', (e) => mondo.errori.push(`tab ${i}: ${e.message}`));
  await page.goto(mondo.banco.base + '#schede', { waitUntil: 'domcontentloaded' });
  await caricata(page);
  mondo.tab[i] = page;
  return page;
}

export function risponde(mondo, page, chi) {
  page.on('dialog', (d) => {
    const no = d.type() === 'confirm' && /si perd/.test(d.message());
    mondo.registro(`    ${chi} ${d.type()}: ${d.message().replace(/\s+/g, ' ')} → ${no ? 'no' : 'sì'}`);
    mondo.domande.push({ chi, tipo: d.type(), testo: d.message(), si: !no });
    (no ? d.dismiss() : d.accept()).catch(() => {});
  });
}

const ATTESA = { timeout: 60000 };

export async function caricata(page) {
  await page.waitForFunction(() => typeof sk !== 'undefined' && typeof area !== 'undefined' && area.pronta
    && $('skStato').textContent !== 'Carico la scheda…', null, ATTESA);
  await quiete(page);
}

// Nothing of the card is moving: no save waiting or running, both queues drained.
export async function quiete(page) {
  for (let giro = 0; giro < 3; giro++) {
    await page.waitForFunction(() => sk.timer === null && !sk.scrivendo, null, ATTESA);
    await page.evaluate(() => Promise.all([sk.coda, stil.coda]));
  }
}

export const righe = (page) => page.evaluate(() => ({ ...window.__righe }));

// What the page says about saving: the save line and the engine's line.
export function stato(page) {
  return page.evaluate(() => ({
    salva: $('skSalva').textContent.replace(/\s+/g, ' ').trim(),
    stilaro: $('stStato').textContent.replace(/\s+/g, ' ').trim(),
    messaggio: $('skMsg').textContent.replace(/\s+/g, ' ').trim(),
  }));
}

export async function chiudiTab(mondo, i, primaDiUscire) {
  const page = mondo.tab[i];
  mondo.tab[i] = null;
  if (!page || page.isClosed()) return;
  const chiusa = page.waitForEvent('close', { timeout: 0 });
  await page.close({ runBeforeUnload: primaDiUscire });
  await chiusa;
}

// The linked file's bytes and the browser store as they are, read with the plain browser APIs
// from a page of the origin that runs no script of its own.
export async function leggiArchivio(mondo) {
  const page = await mondo.context.newPage();
  try {
    await page.goto(mondo.banco.base + 'lettore-archivio', { waitUntil: 'domcontentloaded' });
    const dati = await page.evaluate(async () => {
      const b64 = (v) => {
        const b = new Uint8Array(v instanceof ArrayBuffer ? v : v.buffer.slice(v.byteOffset, v.byteOffset + v.byteLength));
        let s = '';
        for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
        return btoa(s);
      };
      const semplice = async (v) => {
        if (v instanceof Blob) return { __byte: b64(await v.arrayBuffer()) };
        if (v instanceof ArrayBuffer || ArrayBuffer.isView(v)) return { __byte: b64(v) };
        if (typeof FileSystemHandle !== 'undefined' && v instanceof FileSystemHandle) return { __handle: v.name };
        if (Array.isArray(v)) return Promise.all(v.map(semplice));
        if (v && typeof v === 'object') {
          const o = {};
          for (const [k, x] of Object.entries(v)) o[k] = await semplice(x);
          return o;
        }
        return v;
      };
      const kv = {};
      const esiste = (await indexedDB.databases()).some((d) => d.name === 'tarvela');
      if (esiste) {
        const db = await new Promise((ok, ko) => {
          const r = indexedDB.open('tarvela');
          r.onsuccess = () => ok(r.result);
          r.onerror = () => ko(r.error);
        });
        if (db.objectStoreNames.contains('kv')) {
          const [chiavi, valori] = await new Promise((ok, ko) => {
            const t = db.transaction('kv');
            const a = t.objectStore('kv').getAllKeys();
            const b = t.objectStore('kv').getAll();
            t.oncomplete = () => ok([a.result, b.result]);
            t.onerror = () => ko(t.error);
          });
          for (let i = 0; i < chiavi.length; i++) kv[String(chiavi[i])] = await semplice(valori[i]);
        }
        db.close();
      }
      const file = {};
      const dir = await navigator.storage.getDirectory();
      for await (const [nome, h] of dir.entries()) {
        if (h.kind === 'file') file[nome] = b64(await (await h.getFile()).arrayBuffer());
      }
      const locale = {};
      for (let i = 0; i < localStorage.length; i++) locale[localStorage.key(i)] = localStorage.getItem(localStorage.key(i));
      return { kv, file, locale };
    });
    const byte = (v) => {
      if (v && typeof v === 'object' && typeof v.__byte === 'string') return Buffer.from(v.__byte, 'base64');
      if (Array.isArray(v)) return v.map(byte);
      if (v && typeof v === 'object') return Object.fromEntries(Object.entries(v).map(([k, x]) => [k, byte(x)]));
      return v;
    };
    return {
      kv: byte(dati.kv),
      file: Object.fromEntries(Object.entries(dati.file).map(([k, v]) => [k, Buffer.from(v, 'base64')])),
      locale: dati.locale,
      cloud: new Map([...mondo.f.oggetti].map(([k, o]) => [k, Buffer.from(o.byte)])),
    };
  } finally {
    await page.close();
  }
}

// Writes raw bytes into the origin-private file, as another program saving the file would.
export async function scriviFileFuori(mondo, nome, bytes) {
  const page = await mondo.context.newPage();
  try {
    await page.goto(mondo.banco.base + 'altro-programma', { waitUntil: 'domcontentloaded' });
    await fileSuDisco(page, nome, bytes);
  } finally {
    await page.close();
  }
}

export async function leggiFileFuori(mondo, nome) {
  const page = await mondo.context.newPage();
  try {
    await page.goto(mondo.banco.base + 'altro-programma', { waitUntil: 'domcontentloaded' });
    const b64 = await page.evaluate(async (n) => {
      const dir = await navigator.storage.getDirectory();
      let h;
      try { h = await dir.getFileHandle(n); } catch { return null; }
      const b = new Uint8Array(await (await h.getFile()).arrayBuffer());
      let s = '';
      for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
      return btoa(s);
    }, nome);
    return b64 === null ? null : Buffer.from(b64, 'base64');
  } finally {
    await page.close();
  }
}

export const OGGETTO_CLOUD = OGGETTO;
export const TIPO_XLSX = XLSX;
