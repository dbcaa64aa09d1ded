// Time to card: from navigating to the Schede page to the member's card painted, on the real site
// (dev server) in Chromium, with the 52-week card of the old look beside the page.
//  - engine view at 1320x880 and table view at 390x844;
//  - cold: a fresh profile, first visit, the card restyled on opening;
//    second visit: the same profile again, nothing typed in between (the card still comes from the site);
//    returning: the same profile once the card is stored in the browser, restyled;
//  - the steps of each open: document parsed, engine files fetched and started, card read, restyle,
//    card indexed, engine open, first paint; and the renderer's CPU time, the page's main thread apart
//    from the threads where the browser compiles the engine;
//  - where LibreOffice is installed, its headless conversion of the same card to PDF, for scale.
// Prints medians with min and max over the rounds; no pass or fail.
//   node bench/card-open/run.mjs [rounds] [--profilo]
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync } from 'node:fs';
import { loadavg, tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../../tests/browser/lib/browser.mjs';
import { startServer } from '../../tests/browser/lib/serve.mjs';
import { profiler, summary } from '../engine/profile.mjs';
import { cpuTimes, renderersOf, spent } from '../engine/renderer-cpu.mjs';
import { leggiTempi, segnaApertura } from './segna.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const CARTA = join(root, 'tests', 'fixtures', 'cards', 'year-card.xlsx');
const card = readFileSync(CARTA);
const ROUNDS = Number(process.argv.find((a) => /^\d+$/.test(a))) || 5;
const PROFILO = process.argv.includes('--profilo');
const VISTE = [
  { nome: 'engine', viewport: { width: 1320, height: 880 } },
  { nome: 'table', viewport: { width: 390, height: 844 } },
];
const VISITE = ['cold', 'second visit', 'returning'];

const ordinati = (xs) => [...xs].sort((a, b) => a - b);
const mediana = (xs) => ordinati(xs)[Math.floor(xs.length / 2)];
const cifra = (x) => (x == null ? '   -' : x.toFixed(0).padStart(4));
const carico = () => loadavg().map((x) => x.toFixed(2)).join(' ');

async function avviaBrowser(viewport) {
  const server = await startServer();
  const browser = await launchBrowser({ viewport, timezoneId: 'Europe/Rome', locale: 'it-IT' });
  const origine = new URL(server.base).origin;
  await browser.context.route((url) => url.origin !== origine, (route) => route.abort());
  await browser.context.route((url) => url.pathname.endsWith('/La%20mia%20scheda.xlsx'), (route) =>
    route.fulfill({ status: 200, contentType: 'application/octet-stream', body: card }));
  return {
    ...browser,
    base: server.base,
    async chiudi() {
      await browser.close();
      await server.stop();
    },
  };
}

// One visit to the Schede page, up to the card painted; the page stays open for what follows.
async function visita(b, profilo = null) {
  const page = await b.context.newPage();
  await page.addInitScript(segnaApertura);
  const prof = profilo ? await profiler(b.context, page) : null;
  const prima = cpuTimes(renderersOf(b.profile));
  if (prof) await prof.start();
  // Generous limits: on a shared machine a cold open has taken over 30 s.
  await page.goto(b.base + '#schede', { waitUntil: 'commit', timeout: 180000 });
  await page.waitForFunction(() => window.__tempi?.dipinta, null, { timeout: 180000, polling: 50 });
  const cpu = spent(prima, cpuTimes(renderersOf(b.profile)));
  const tempi = await page.evaluate(leggiTempi);
  return { page, tempi: { ...tempi, cpuMain: cpu.main, cpuAltri: cpu.others }, profilo: prof && (await prof.stop()) };
}

const risultati = new Map();
const aggiungi = (chiave, tempi) => {
  if (!risultati.has(chiave)) risultati.set(chiave, []);
  risultati.get(chiave).push(tempi);
};

const caricoPrima = carico();
for (let giro = 0; giro < ROUNDS; giro++) {
  for (const vista of VISTE) {
    const b = await avviaBrowser(vista.viewport);
    try {
      for (const nome of VISITE) {
        const { page, tempi } = await visita(b);
        aggiungi(vista.nome + '|' + nome, tempi);
        // Before the returning visit the card is stored as a member's first save would store it.
        if (nome === 'second visit') await page.evaluate(() => kvScrivi('copia:' + nomeScheda(), sk.bytes));
        await page.close();
      }
    } finally {
      await b.chiudi();
    }
  }
}
const caricoDopo = carico();

console.log(`card: year-card.xlsx (${card.length} bytes, 52 weeks, old look), ${ROUNDS} rounds, a new browser for each round and view`);
console.log(`load average (1, 5, 15 min): ${caricoPrima} before, ${caricoDopo} after`);
console.log('navigation to the card painted, ms: median (min-max)');
for (const vista of VISTE) {
  for (const nome of VISITE) {
    const v = risultati.get(vista.nome + '|' + nome).map((t) => t.dipinta);
    console.log(`  ${(vista.nome + ', ' + nome).padEnd(26)} ${cifra(mediana(v))} (${cifra(Math.min(...v)).trim()}-${cifra(Math.max(...v)).trim()})`);
  }
}

console.log('\nsteps, medians in ms from navigation start (restyle and engine open: their own duration)');
const COLONNE = [
  ['document parsed', 'documento'],
  ['engine files', 'file'],
  ['engine ready', 'motore'],
  ['card read', 'letta'],
  ['restyle', 'restyle'],
  ['card indexed', 'indicizzata'],
  ['engine open', 'apertura'],
  ['first paint', 'dipinta'],
  ['CPU main', 'cpuMain'],
  ['CPU other', 'cpuAltri'],
];
console.log('  ' + ''.padEnd(26) + COLONNE.map(([t]) => t.padStart(16)).join(''));
for (const vista of VISTE) {
  for (const nome of VISITE) {
    const serie = risultati.get(vista.nome + '|' + nome);
    const celle = COLONNE.map(([, k]) => {
      const v = serie.map((t) => t[k]).filter((x) => x != null);
      return (v.length ? cifra(mediana(v)) : '   -').padStart(16);
    });
    const rifatte = serie.filter((t) => t.rifatta).length;
    console.log(`  ${(vista.nome + ', ' + nome).padEnd(26)}${celle.join('')}   restyled in ${rifatte}/${serie.length}`);
  }
}

const soffice = (() => {
  try {
    return execFileSync('sh', ['-c', 'command -v soffice'], { encoding: 'utf8' }).trim();
  } catch {
    return '';
  }
})();
if (soffice) {
  const cartella = mkdtempSync(join(tmpdir(), 'card-open-'));
  const tempi = [];
  try {
    for (let i = 0; i < Math.min(ROUNDS, 5); i++) {
      const t0 = performance.now();
      execFileSync(soffice, ['--headless', '--convert-to', 'pdf', '--outdir', cartella, CARTA], { stdio: 'ignore' });
      tempi.push(performance.now() - t0);
    }
  } finally {
    rmSync(cartella, { recursive: true, force: true });
  }
  const fredda = mediana(risultati.get('engine|cold').map((t) => t.dipinta));
  console.log(`\nLibreOffice, soffice --headless --convert-to pdf of the same card: ${cifra(mediana(tempi))} ms (${cifra(Math.min(...tempi)).trim()}-${cifra(Math.max(...tempi)).trim()}), ${(mediana(tempi) / fredda).toFixed(1)}x the cold engine open`);
}

if (PROFILO) {
  const b = await avviaBrowser(VISTE[0].viewport);
  try {
    const { tempi, profilo } = await visita(b, true);
    console.log(`\nCPU profile of one cold engine open (${tempi.dipinta.toFixed(0)} ms to the card painted, sampling every 0.1 ms):`);
    console.log(summary('self time by function', profilo, 25));
  } finally {
    await b.chiudi();
  }
}
