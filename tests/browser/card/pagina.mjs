// Shared harness of the card suites: the real page in Chromium, fixtures copied to a temp folder,
// and the independent reader (openpyxl) run on what the page writes.
import { execFileSync } from 'node:child_process';
import { copyFileSync, existsSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { createServer } from 'node:http';
import { tmpdir } from 'node:os';
import { dirname, join, normalize } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../lib/browser.mjs';
import { SERVE, startServer } from '../lib/serve.mjs';

const qui = dirname(fileURLToPath(import.meta.url));
const sito = join(qui, '..', '..', '..', 'site');
const cartellaFixture = join(qui, '..', '..', 'fixtures', 'cards');
export const CARDS = JSON.parse(readFileSync(join(cartellaFixture, 'cards.json'), 'utf8'));
export const schedaDi = (file) => CARDS.files.find((f) => f.file === file);

// The dev server when it is built; otherwise a plain static server over site/.
async function serviSito() {
  if (existsSync(SERVE)) return startServer();
  const server = createServer((req, res) => {
    const percorso = normalize(decodeURIComponent(new URL(req.url, 'http://x').pathname)).replace(/^(\.\.[/\\])+/, '');
    const file = join(sito, percorso === '/' ? 'index.html' : percorso);
    if (!file.startsWith(sito) || !existsSync(file)) { res.writeHead(404).end('non trovato'); return; }
    res.writeHead(200, { 'content-type': file.endsWith('.html') ? 'text/html; charset=utf-8' : 'application/octet-stream' });
    res.end(readFileSync(file));
  });
  await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
  return { base: `http://127.0.0.1:${server.address().port}/`, stop: () => new Promise((ok) => server.close(ok)) };
}

export async function apriPagina() {
  const server = await serviSito();
  const browser = await launchBrowser();
  const page = await browser.context.newPage();
  await page.goto(server.base + 'index.html');
  await page.waitForFunction(() => typeof abbellisciScheda === 'function');
  const temp = mkdtempSync(join(tmpdir(), 'tarvela-scheda-'));
  return {
    page,
    temp,
    async chiudi() {
      await browser.close();
      await server.stop();
      rmSync(temp, { recursive: true, force: true });
    },
  };
}

// A fixture's bytes, read from a private copy.
export function fixture(temp, nome) {
  const copia = join(temp, nome);
  if (!existsSync(copia)) copyFileSync(join(cartellaFixture, nome), copia);
  return readFileSync(copia);
}

// Runs `corpo(bytes, ...args)` in the page; Blob and ArrayBuffer results come back as Buffers.
export async function inPagina(page, bytes, corpo, ...args) {
  const risultato = await page.evaluate(async ([b64, sorgente, argomenti]) => {
    const bytes = Uint8Array.from(atob(b64), (c) => c.charCodeAt(0)).buffer;
    const aBase64 = async (v) => {
      const b = new Uint8Array(v instanceof Blob ? await v.arrayBuffer() : v);
      let s = '';
      for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
      return { b64: btoa(s) };
    };
    const converti = async (v) => {
      if (v instanceof Blob || v instanceof ArrayBuffer) return { __bytes: await aBase64(v), tipo: v.type ?? null };
      if (v instanceof Date) return { __data: [v.getFullYear(), v.getMonth() + 1, v.getDate()] };
      if (Array.isArray(v)) return Promise.all(v.map(converti));
      if (v && typeof v === 'object') {
        const o = {};
        for (const [k, x] of Object.entries(v)) o[k] = await converti(x);
        return o;
      }
      return v;
    };
    try {
      return { ok: await converti(await eval(`(${sorgente})`)(bytes, ...argomenti)) };
    } catch (e) {
      return { errore: e.message };
    }
  }, [Buffer.from(bytes).toString('base64'), corpo.toString(), args]);
  if ('errore' in risultato) throw new Error(risultato.errore);
  const torna = (v) => {
    if (v && v.__bytes) return Object.assign(Buffer.from(v.__bytes.b64, 'base64'), { tipo: v.tipo });
    if (v && v.__data) return v.__data;
    if (Array.isArray(v)) return v.map(torna);
    if (v && typeof v === 'object') return Object.fromEntries(Object.entries(v).map(([k, x]) => [k, torna(x)]));
    return v;
  };
  return torna(risultato.ok);
}

// What openpyxl (and Python's zipfile) read in a file the page wrote.
export function leggiConPython(temp, bytes, nome = 'risultato.xlsx') {
  const file = join(temp, nome);
  writeFileSync(file, bytes);
  return JSON.parse(execFileSync('/usr/bin/python3', [join(qui, 'lettore_xlsx.py'), file], { encoding: 'utf8', maxBuffer: 1 << 28 }));
}

// Every entry except the rewritten ones keeps its name, order and raw bytes.
export function voci(temp, bytes) {
  return leggiConPython(temp, bytes, 'voci.xlsx').voci;
}

// A card made for one test by openpyxl from a fixture: `codice` edits `ws`, the active sheet.
export function generaConPython(temp, da, nome, codice) {
  const sorgente = join(temp, da);
  if (!existsSync(sorgente)) copyFileSync(join(cartellaFixture, da), sorgente);
  const destinazione = join(temp, nome);
  const programma = `import openpyxl\nwb = openpyxl.load_workbook(${JSON.stringify(sorgente)})\nws = wb.active\n${codice}\nwb.save(${JSON.stringify(destinazione)})\n`;
  execFileSync('/usr/bin/python3', ['-c', programma]);
  return readFileSync(destinazione);
}

// Entries of `prima` and `dopo` agree in order, and all but `cambiate` keep their raw bytes.
export function soloCambiate(temp, prima, dopo, cambiate) {
  const a = voci(temp, prima);
  const b = voci(temp, dopo);
  if (JSON.stringify(a.map((v) => v.nome)) !== JSON.stringify(b.map((v) => v.nome))) throw new Error('entry order changed');
  a.forEach((v, i) => {
    const uguale = v.grezzi === b[i].grezzi && v.crc === b[i].crc && v.metodo === b[i].metodo;
    if (!uguale && !cambiate.includes(v.nome)) throw new Error(`${v.nome} changed`);
    if (JSON.stringify(v.data) !== JSON.stringify(b[i].data)) throw new Error(`${v.nome} changed its date`);
  });
}
