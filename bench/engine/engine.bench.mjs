// Numbers of the engine in Chromium: module size, start, opening and painting the
// 52-week card, an edit-to-save cycle, memory after opening. The peer, measured in
// the same run, is exceljs reading and writing the same card in Node.
//   node bench/engine/engine.bench.mjs
import { readFileSync, statSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import ExcelJS from 'exceljs';
import { launchBrowser } from '../../tests/browser/lib/browser.mjs';
import { serveStatic } from '../../tests/browser/engine/static-server.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const fixtures = join(root, 'tests', 'fixtures', 'cards');
const card = readFileSync(join(fixtures, 'year-card.xlsx'));
const ROUNDS = 5;
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => x.toFixed(1) + ' ms';

const shipped = readFileSync(join(root, 'site', 'foglio', 'stilaro_wasm.js'));
const wasmText = shipped.toString('ascii');
const packed = Buffer.from(wasmText.slice(wasmText.indexOf('"') + 1, wasmText.lastIndexOf('"')), 'base64');
const raw = (await new Response(new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer()).byteLength;
console.log(`module: ${raw} bytes raw, ${packed.length} gzip, stilaro_wasm.js ${shipped.length} bytes (${gzipSync(shipped).length} gzip on the wire), stilaro.js ${statSync(join(root, 'site', 'foglio', 'stilaro.js')).size} bytes`);

const server = await serveStatic({ '/': join(root, 'site'), '/prova/': join(root, 'tests', 'browser', 'engine') });
const browser = await launchBrowser();
const results = { ready: [], init: [], open: [], reopen: [], save: [], edit: [] };
let memory;
try {
  for (let round = 0; round < ROUNDS; round++) {
    const page = await browser.context.newPage();
    // Keeps a handle on the engine's memory to read its size after opening.
    await page.addInitScript(() => {
      const instantiate = WebAssembly.instantiate;
      WebAssembly.instantiate = async (...args) => {
        const result = await instantiate.apply(WebAssembly, args);
        const instance = result.instance || result;
        if (instance.exports.st_open && !window.memoriaStilaro) window.memoriaStilaro = instance.exports.memory;
        return result;
      };
    });
    await page.goto(server.base + 'prova/page.html');
    const r = await page.evaluate(async (bytes) => {
      await pronto;
      const out = {};
      // A second engine instance, timed from the initialiser call (the page's own load is not counted).
      const text = await (await fetch('/foglio/stilaro_wasm.js')).text();
      const t0 = performance.now();
      const b64 = text.slice(text.indexOf('"') + 1, text.lastIndexOf('"'));
      const binary = atob(b64);
      const gz = new Uint8Array(binary.length);
      for (let i = 0; i < binary.length; i++) gz[i] = binary.charCodeAt(i);
      const module = new Uint8Array(await new Response(new Blob([gz]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer());
      const t1 = performance.now();
      await WebAssembly.instantiate(await WebAssembly.compile(module), { env: { emscripten_notify_memory_growth() {} }, wasi_snapshot_preview1: new Proxy({}, { get: () => () => 0 }) });
      out.init = performance.now() - t1;
      out.ready = performance.now() - t0;
      const canvas = document.getElementById('foglio');
      const t2 = performance.now();
      await stilaro.foglio_avvia(canvas, new Uint8Array(bytes), salvaDalStilaro);
      canvas.getContext('2d').getImageData(0, 0, 1, 1);  // waits for the painted frame
      out.open = performance.now() - t2;
      // Opening again in the same page: the module's code is warm by now.
      const t3 = performance.now();
      stilaro.foglio_carica(new Uint8Array(bytes));
      canvas.getContext('2d').getImageData(0, 0, 1, 1);
      out.reopen = performance.now() - t3;
      stilaro.foglio_vai('E10');
      return out;
    }, [...card]);
    await page.keyboard.type('95');
    const s = await page.evaluate(() => {
      const t0 = performance.now();
      stilaro.foglio_conferma();
      const save = performance.now() - t0;
      return { save, bytes: salvataggi.length ? salvataggi[salvataggi.length - 1].length : 0 };
    });
    // The automatic path: typing, Enter, then the save the engine asks for by itself.
    await page.evaluate(() => stilaro.foglio_esito(true, ''));
    const edit = await page.evaluate(async () => {
      const before = salvataggi.length;
      const field = document.activeElement;
      const t0 = performance.now();
      field.value = '96';
      field.dispatchEvent(new InputEvent('input', { bubbles: true }));
      field.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter', bubbles: true, cancelable: true }));
      while (salvataggi.length === before) await new Promise((r) => setTimeout(r, 5));
      return performance.now() - t0;
    });
    if (round === 0) {
      memory = await page.evaluate(() => ({
        wasm: memoriaStilaro.buffer.byteLength,
        heap: performance.memory ? performance.memory.usedJSHeapSize : 0,
      }));
      const cdp = await browser.context.newCDPSession(page);
      const { metrics } = await cdp.send('Performance.getMetrics').catch(() => ({ metrics: [] }));
      memory.jsHeap = (metrics.find((m) => m.name === 'JSHeapUsedSize') || {}).value || memory.heap;
    }
    results.ready.push(r.ready);
    results.init.push(r.init);
    results.open.push(r.open);
    results.reopen.push(r.reopen);
    results.save.push(s.save);
    results.edit.push(edit);
    await page.close();
  }
} finally {
  await browser.close();
  await server.stop();
}

// Peer: exceljs, the same card read and written in Node.
const peerOpen = [], peerSave = [];
for (let round = 0; round < ROUNDS; round++) {
  const book = new ExcelJS.Workbook();
  let t = performance.now();
  await book.xlsx.load(card);
  peerOpen.push(performance.now() - t);
  book.worksheets[0].getCell('E10').value = 95;
  t = performance.now();
  await book.xlsx.writeBuffer();
  peerSave.push(performance.now() - t);
}

console.log(`stilaro() to ready (Base64 + gunzip + compile + instantiate): ${ms(median(results.ready))} (instantiate alone ${ms(median(results.init))})`);
console.log(`open the 52-week card and paint: ${ms(median(results.open))}; exceljs reads it in ${ms(median(peerOpen))} (ratio ${(median(results.open) / median(peerOpen)).toFixed(2)})`);
console.log(`open it again in the same page (foglio_carica, warm code) and paint: ${ms(median(results.reopen))}`);
console.log(`edit to save bytes (foglio_conferma, complete .xlsx): ${ms(median(results.save))}; exceljs writes it in ${ms(median(peerSave))} (ratio ${(median(results.save) / median(peerSave)).toFixed(2)})`);
console.log(`typing + Enter to the automatic save call (includes the 1 s pause after typing): ${ms(median(results.edit))}`);
console.log(`memory after opening: module memory ${(memory.wasm / 1048576).toFixed(1)} MB, page JS heap ${(memory.jsHeap / 1048576).toFixed(1)} MB`);
