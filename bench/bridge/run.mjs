// Stilaro on the Schede page, measured in Chromium on the real site (dev server):
//  - cold open: from navigating to the Schede page (engine view, the 52-week card beside
//    the page, fresh profile) to the engine painted on the card's last week;
//  - a keystroke in the engine (Enter after typing a load) to the card's bytes stored in
//    IndexedDB, through the engine's automatic save (its pause after typing included),
//    and the page's own share of it (save call to the bytes stored).
//   node bench/bridge/run.mjs [rounds]
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { avviaSito } from '../../tests/browser/lib/sito.mjs';

const root = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const card = readFileSync(join(root, 'tests', 'fixtures', 'cards', 'year-card.xlsx'));
const ROUNDS = Number(process.argv[2]) || 5;
const median = (xs) => [...xs].sort((a, b) => a - b)[Math.floor(xs.length / 2)];
const ms = (x) => x.toFixed(0) + ' ms';

// Times when a card copy is committed to IndexedDB, taken from the transaction's own end.
function segnaScritture() {
  window.__scritte = [];
  const put = IDBObjectStore.prototype.put;
  IDBObjectStore.prototype.put = function (valore, chiave) {
    const richiesta = put.call(this, valore, chiave);
    if (typeof chiave === 'string' && chiave.startsWith('copia:')) {
      this.transaction.addEventListener('complete', () => window.__scritte.push(performance.now()));
    }
    return richiesta;
  };
}

const risultati = { apertura: [], scheda: [], motore: [], tasto: [], pagina: [] };
for (let giro = 0; giro < ROUNDS; giro++) {
  // A new browser each round: nothing cached, engine files included.
  const sito = await avviaSito();
  try {
    await sito.context.route((url) => url.pathname.endsWith('/La%20mia%20scheda.xlsx'), (route) =>
      route.fulfill({ status: 200, contentType: 'application/octet-stream', body: card }));
    const page = await sito.context.newPage();
    await page.addInitScript(segnaScritture);
    await page.goto(sito.base + '#schede');
    const aperta = await page.evaluate(async () => {
      const t = {};
      while (!(stil.avviato && $('stCopri').hidden)) {
        if (!t.scheda && sk.bytes) t.scheda = performance.now();
        if (!t.motore && stil.motore) t.motore = performance.now();
        await new Promise((r) => setTimeout(r, 5));
      }
      await new Promise((r) => requestAnimationFrame(() => requestAnimationFrame(r)));
      t.dipinta = performance.now();
      return t;
    });
    risultati.apertura.push(aperta.dipinta);
    risultati.scheda.push(aperta.scheda || aperta.dipinta);
    risultati.motore.push(aperta.motore || aperta.dipinta);
    // The page's share: from the engine's save call to the stored bytes.
    await page.evaluate(() => {
      const originale = salvaDalStilaro;
      window.__chiamate = [];
      window.salvaDalStilaro = (bytes) => {
        window.__chiamate.push(performance.now());
        originale(bytes);
      };
    });
    await page.evaluate(() => cambiaVista('tabella'));
    await page.evaluate(() => cambiaVista('stilaro'));
    await page.waitForFunction(() => stil.avviato && $('stCopri').hidden);
    await page.evaluate(() => stilaro.foglio_vai('E621'));
    await page.keyboard.type(String(100 + giro));
    await page.evaluate(() => document.addEventListener('keydown', (e) => { if (e.key === 'Enter') window.__invio = performance.now(); }, true));
    await page.keyboard.press('Enter');
    const t = await page.evaluate(async () => {
      while (!window.__scritte.length) await new Promise((r) => setTimeout(r, 2));
      return { tasto: window.__scritte[0] - window.__invio, pagina: window.__scritte[0] - window.__chiamate[0] };
    });
    risultati.tasto.push(t.tasto);
    risultati.pagina.push(t.pagina);
  } finally {
    await sito.chiudi();
  }
}

console.log(`rounds: ${ROUNDS}, card: year-card.xlsx (${card.length} bytes, 52 weeks), viewport 1320x880`);
console.log(`cold open of the Schede page to the engine painted on the last week: median ${ms(median(risultati.apertura))} (min ${ms(Math.min(...risultati.apertura))}, max ${ms(Math.max(...risultati.apertura))})`);
console.log(`  of which: card read and indexed by the page at ${ms(median(risultati.scheda))}, engine files loaded and initialised at ${ms(median(risultati.motore))} (both from navigation start, in parallel)`);
console.log(`Enter in the engine to the bytes stored in IndexedDB: median ${ms(median(risultati.tasto))} (the engine's pause after typing included)`);
console.log(`the page's share, engine save call to bytes stored: median ${ms(median(risultati.pagina))}`);
