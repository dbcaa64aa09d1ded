// Each card-layer operation on each hostile card, in a fresh Chromium: outcome, time and the tab's
// peak memory (resident size of its renderer process). Stops an operation past a time or memory limit.
//   node bench/card/ostili.mjs [--sito DIR] [--secondi 30] [--mb 3000] [--json FILE] [--solo PART-OF-NAME]
import { mkdtempSync, readFileSync, readdirSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { createServer } from 'node:http';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { chromium } from 'playwright-core';
import { cardOstili } from '../../tests/browser/card/ostili.mjs';

const radice = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const argomento = (nome, base) => {
  const i = process.argv.indexOf(nome);
  return i > 0 ? process.argv[i + 1] : base;
};
const sito = argomento('--sito', join(radice, 'site'));
const secondi = Number(argomento('--secondi', 30));
const mbMassimi = Number(argomento('--mb', 3000));
const uscitaJson = argomento('--json', null);

const file = await cardOstili(readFileSync(join(radice, 'tests', 'fixtures', 'cards', 'simple.xlsx')));
const nomi = Object.keys(file);
const server = createServer((req, res) => {
  const url = new URL(req.url, 'http://x');
  if (url.pathname === '/ostile') return res.writeHead(200).end(file[nomi[Number(url.searchParams.get('n'))]]);
  if (url.pathname === '/index.html') return res.writeHead(200, { 'content-type': 'text/html; charset=utf-8' }).end(readFileSync(join(sito, 'index.html')));
  res.writeHead(404).end();
});
await new Promise((ok) => server.listen(0, '127.0.0.1', ok));
const base = `http://127.0.0.1:${server.address().port}/`;

const OPERAZIONI = {
  'read': async (b) => { const x = await apriXlsx(b); return `${settimaneDelFoglio(analizza(x.doc, x.ss)).length} weeks`; },
  'nuovaSettimana': async (b) => `rows ${(await nuovaSettimana(b, new Date(2026, 11, 7))).a}`,
  'togliSettimanaDa': async (b) => (await togliSettimanaDa(b)).titolo,
  'scriviCelle': async (b) => `${(await scriviCelle(b, { E8: '60' })).size} B`,
  'conAtleta': async (b) => `${(await conAtleta(b, 'Anna', '')).byteLength} B`,
  'abbellisciScheda': async (b) => { const r = await abbellisciScheda(b); return r ? `${r.size} B` : 'none'; },
};

// Resident kB of the renderer processes of the browser that uses `profilo`.
function residenti(profilo) {
  let kb = 0;
  for (const d of readdirSync('/proc')) {
    if (!/^\d+$/.test(d)) continue;
    try {
      const riga = readFileSync(`/proc/${d}/cmdline`, 'utf8');
      if (riga.includes('--type=renderer') && riga.includes(profilo)) kb += Number(/VmRSS:\s+(\d+)/.exec(readFileSync(`/proc/${d}/status`, 'utf8'))?.[1] || 0);
    } catch { /* gone */ }
  }
  return kb;
}

async function misura(n, op) {
  const profilo = mkdtempSync(join(tmpdir(), 'tarvela-ostili-'));
  const browser = await chromium.launchPersistentContext(profilo, { executablePath: '/usr/bin/chromium', args: ['--no-sandbox', '--disable-gpu'] });
  try {
    const page = await browser.newPage();
    await page.goto(base + 'index.html');
    await page.waitForFunction(() => typeof abbellisciScheda === 'function');
    await page.evaluate(async (n) => { window.__ostile = await (await fetch(`/ostile?n=${n}`)).arrayBuffer(); }, n);
    const prima = residenti(profilo);
    let picco = prima;
    let fermo = null;
    const t = performance.now();
    const corsa = page.evaluate(async ([sorgente]) => {
      try { return String(await eval(`(${sorgente})`)(window.__ostile)); } catch (e) { return 'error: ' + e.message; }
    }, [OPERAZIONI[op].toString()]).catch((e) => `stopped (${e.message.split('\n')[0].slice(0, 40)})`);
    const sorveglia = new Promise((ok) => {
      const giro = setInterval(() => {
        picco = Math.max(picco, residenti(profilo));
        if (picco / 1024 > mbMassimi) fermo = `over ${mbMassimi} MB`;
        else if (performance.now() - t > secondi * 1000) fermo = `over ${secondi} s`;
        if (fermo) { clearInterval(giro); ok(fermo); }
      }, 100);
      corsa.finally(() => clearInterval(giro));
    });
    const esito = await Promise.race([corsa, sorveglia]);
    const ms = performance.now() - t;
    picco = Math.max(picco, residenti(profilo));
    return { file: nomi[n], op, esito: fermo ?? esito, ms: fermo ? null : ms, mb: (picco - prima) / 1024 };
  } finally {
    await browser.close().catch(() => {});
    rmSync(profilo, { recursive: true, force: true });
  }
}

const solo = argomento('--solo', null);
const righe = [];
for (let n = 0; n < nomi.length; n++) {
  if (solo && !nomi[n].includes(solo)) continue;
  for (const op of Object.keys(OPERAZIONI)) {
    const r = await misura(n, op);
    righe.push(r);
    console.log(`${r.file.padEnd(30)} ${op.padEnd(17)} ${(r.ms === null ? '-' : r.ms.toFixed(0)).padStart(7)} ms ${r.mb.toFixed(0).padStart(6)} MB  ${r.esito.slice(0, 70)}`);
  }
}
if (uscitaJson) writeFileSync(uscitaJson, JSON.stringify(righe, null, 1));
server.close();
