// Numbers of the engine in Chromium: module size, start, opening and painting the
// 52-week card, keystroke to painted frame, an edit-to-save cycle, memory after
// opening, and where each operation spends its time (CPU profile). The peer,
// measured in alternating rounds of the same run, is exceljs reading and writing
// the same card in Node.
//   node bench/engine/engine.bench.mjs [rounds]
// The profile names the module's functions when out/wasm-profile holds a build
// with names (bash build/engine-wasm.sh --profile) newer than the shipped one.
import { existsSync, readFileSync, statSync } from 'node:fs';
import { gzipSync } from 'node:zlib';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import ExcelJS from 'exceljs';
import { launchBrowser } from '../../tests/browser/lib/browser.mjs';
import { serveStatic } from '../../tests/browser/engine/static-server.mjs';
import { profiler, summary } from './profile.mjs';
import { cpuTimes, renderersOf, spent } from './renderer-cpu.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const fixtures = join(root, 'tests', 'fixtures', 'cards');
const card = readFileSync(join(fixtures, 'year-card.xlsx'));
const ROUNDS = Number(process.argv[2]) || 7;
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => x.toFixed(1) + ' ms';

const shipped = readFileSync(join(root, 'site', 'foglio', 'stilaro_wasm.js'));
const wasmText = shipped.toString('ascii');
const packed = Buffer.from(wasmText.slice(wasmText.indexOf('"') + 1, wasmText.lastIndexOf('"')), 'base64');
const raw = (await new Response(new Blob([packed]).stream().pipeThrough(new DecompressionStream('gzip'))).arrayBuffer()).byteLength;
console.log(`module: ${raw} bytes raw, ${packed.length} gzip, stilaro_wasm.js ${shipped.length} bytes (${gzipSync(shipped).length} gzip on the wire), stilaro.js ${statSync(join(root, 'site', 'foglio', 'stilaro.js')).size} bytes`);

const server = await serveStatic({ '/': join(root, 'site'), '/prova/': join(root, 'tests', 'browser', 'engine') });
const browser = await launchBrowser();
const results = { ready: [], init: [], open: [], openMain: [], openOthers: [], reopen: [], save: [], edit: [], arrow: [], typed: [] };
const peer = { open: [], save: [] };
let memory;

// Opens the card in a fresh test page: the first time, then again in the same page.
// The first open is also read as CPU time: the page's main thread, and the renderer's
// other threads, busy meanwhile compiling the functions that ran hot.
async function openTwice(page) {
  await page.evaluate((bytes) => { window.tessera = new Uint8Array(bytes); }, [...card]);
  const renderers = renderersOf(browser.profile);
  const before = cpuTimes(renderers);
  const open = await page.evaluate(async () => {
    const canvas = document.getElementById('foglio');
    const t0 = performance.now();
    await stilaro.foglio_avvia(canvas, tessera, salvaDalStilaro);
    canvas.getContext('2d').getImageData(0, 0, 1, 1);  // waits for the painted frame
    return performance.now() - t0;
  });
  const cpu = spent(before, cpuTimes(renderers));
  // Opening again in the same page: the module's code is warm by now.
  const reopen = await page.evaluate(() => {
    const canvas = document.getElementById('foglio');
    const t1 = performance.now();
    stilaro.foglio_carica(tessera);
    canvas.getContext('2d').getImageData(0, 0, 1, 1);
    return performance.now() - t1;
  });
  return { open, reopen, openMain: cpu.main, openOthers: cpu.others };
}

// Times real key presses from the key event to the end of the next frame that
// painted it: the listeners sit on the window, after the engine's own.
async function keystrokes(page, keys) {
  await page.evaluate(() => {
    if (window.tempiTasti) {
      tempiTasti.length = 0;
      return;
    }
    window.tempiTasti = [];
    let start = 0, waiting = 0;
    addEventListener('keydown', (e) => { start = e.timeStamp; }, true);
    const frame = () => {
      waiting++;
      requestAnimationFrame(() => {
        if (--waiting) return;
        document.getElementById('foglio').getContext('2d').getImageData(0, 0, 1, 1);
        tempiTasti.push(performance.now() - start);
      });
    };
    addEventListener('keydown', frame);
    addEventListener('input', frame);
  });
  const times = [];
  for (const key of keys) {
    await page.keyboard.press(key);
    await page.waitForFunction((n) => tempiTasti.length >= n, times.length + 1);
    times.push(await page.evaluate((n) => tempiTasti[n], times.length));
  }
  return times;
}

const ARROWS = ['ArrowDown', 'ArrowDown', 'ArrowRight', 'ArrowUp', 'ArrowLeft', 'ArrowDown'];
const TYPING = ['9', '5', 'Backspace', '7'];  // 97: the edit below writes 96, a change

async function engineRound(round) {
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
  const r = await page.evaluate(async () => {
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
    return out;
  });
  Object.assign(r, await openTwice(page));
  await page.evaluate(() => stilaro.foglio_vai('E10'));
  const arrows = await keystrokes(page, ARROWS);
  await page.evaluate(() => stilaro.foglio_vai('E10'));
  const typed = await keystrokes(page, TYPING);
  const s = await page.evaluate(() => {
    const t0 = performance.now();
    stilaro.foglio_conferma();
    const save = performance.now() - t0;
    return { save, bytes: salvataggi.length ? salvataggi[salvataggi.length - 1].length : 0 };
  });
  // Every save asked for so far is answered (typing may have outlasted the save delay).
  await page.evaluate(() => {
    while (salvataggi.length > risposte) {
      risposte++;
      stilaro.foglio_esito(true, '');
    }
  });
  // The automatic path: typing, Enter, then the save the engine asks for by itself.
  const edit = await page.evaluate(async () => {
    const before = salvataggi.length;
    const field = document.activeElement;
    const t0 = performance.now();
    field.value = '96';
    field.dispatchEvent(new InputEvent('input', { bubbles: true }));
    field.dispatchEvent(new KeyboardEvent('keydown', { key: 'Enter', bubbles: true, cancelable: true }));
    while (salvataggi.length === before) {
      if (performance.now() - t0 > 10000) throw new Error('no automatic save after typing and Enter');
      await new Promise((r) => setTimeout(r, 5));
    }
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
  results.openMain.push(r.openMain);
  results.openOthers.push(r.openOthers);
  results.reopen.push(r.reopen);
  results.save.push(s.save);
  results.edit.push(edit);
  results.arrow.push(median(arrows));
  results.typed.push(median(typed));
  await page.close();
}

// Peer: exceljs, the same card read and written in Node.
async function peerRound() {
  const book = new ExcelJS.Workbook();
  let t = performance.now();
  await book.xlsx.load(card);
  peer.open.push(performance.now() - t);
  book.worksheets[0].getCell('E10').value = 95;
  t = performance.now();
  await book.xlsx.writeBuffer();
  peer.save.push(performance.now() - t);
}

// One more page under the profiler, after the timed rounds: a profile slows what it watches.
// A module with names shows its functions by name; the shipped one only by index.
function profiledModule() {
  const named = join(root, 'out', 'wasm-profile', 'engine', 'wasm', 'stilaro.wasm');
  const shippedAt = statSync(join(root, 'site', 'foglio', 'stilaro_wasm.js')).mtimeMs;
  if (!existsSync(named) || statSync(named).mtimeMs < shippedAt) return null;
  return 'STILARO_WASM_GZ = "' + gzipSync(readFileSync(named)).toString('base64') + '";\n';
}

async function profileRound() {
  const page = await browser.context.newPage();
  const named = profiledModule();
  if (named) await page.route('**/foglio/stilaro_wasm.js', (r) => r.fulfill({ contentType: 'text/javascript', body: named }));
  const cpu = await profiler(browser.context, page);
  const profiles = [];
  const watch = async (title, run) => {
    await cpu.start();
    await run();
    profiles.push(summary(title, await cpu.stop()));
  };
  await watch('load the page and start the engine', async () => {
    await page.goto(server.base + 'prova/page.html');
    await page.evaluate(() => pronto);
  });
  await watch('open the card and paint, then open it again', () => openTwice(page));
  await page.evaluate(() => stilaro.foglio_vai('E10'));
  await watch('keystrokes (arrows, then typing) to painted frames', () => keystrokes(page, [...ARROWS, ...TYPING]));
  await page.close();
  return { named: Boolean(named), profiles };
}

let profile;
try {
  for (let round = 0; round < ROUNDS; round++) {
    await engineRound(round);
    await peerRound();
  }
  profile = await profileRound();
} finally {
  await browser.close();
  await server.stop();
}

const ratio = (ours, theirs) => `${(median(theirs) / median(ours)).toFixed(2)}× exceljs`;
console.log(`rounds: ${ROUNDS}, medians; ratios are exceljs's time over ours (above 1: faster than exceljs)`);
console.log(`stilaro() to ready (Base64 + gunzip + compile + instantiate): ${ms(median(results.ready))} (instantiate alone ${ms(median(results.init))})`);
console.log(`open the 52-week card and paint: ${ms(median(results.open))}; exceljs reads it in ${ms(median(peer.open))} (${ratio(results.open, peer.open)})`);
console.log(`  CPU meanwhile: the page's main thread ${ms(median(results.openMain))}, the renderer's other threads ${ms(median(results.openOthers))}`);
console.log(`open it again in the same page (foglio_carica, warm code) and paint: ${ms(median(results.reopen))}`);
console.log(`keystroke to painted frame: arrow keys ${ms(median(results.arrow))}, typing in a cell ${ms(median(results.typed))}`);
console.log(`edit to save bytes (foglio_conferma, complete .xlsx): ${ms(median(results.save))}; exceljs writes it in ${ms(median(peer.save))} (${ratio(results.save, peer.save)})`);
console.log(`typing + Enter to the automatic save call (includes the 1 s pause after typing): ${ms(median(results.edit))}`);
console.log(`memory after opening: module memory ${(memory.wasm / 1048576).toFixed(1)} MB, page JS heap ${(memory.jsHeap / 1048576).toFixed(1)} MB`);
console.log(`CPU profile, self time by function${profile.named ? '' : ' (module functions by index: no named build in out/wasm-profile)'}:`);
for (const p of profile.profiles) console.log(p);
