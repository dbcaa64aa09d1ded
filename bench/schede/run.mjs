// The Schede page on the 52-week card, timed in Chromium: a full card load up to the drawn table
// (with the restyle and without), a table edit until stored (browser copy) and written (linked file),
// and a week added through the page. Prints medians in milliseconds; no pass or fail.
//   node bench/schede/run.mjs [rounds]
import { avviaSchede, apriSchede, collega, fixture, fileSuDisco } from '../../tests/browser/schede/harness.mjs';

const giri = Number(process.argv[2]) || 7;
const NOME = 'La mia scheda.xlsx';
const mediana = (v) => { const s = [...v].sort((a, b) => a - b); return s[Math.floor(s.length / 2)]; };
const riga = (nome, v) => console.log(`${nome.padEnd(52)} median ${mediana(v).toFixed(1).padStart(8)} ms   min ${Math.min(...v).toFixed(1).padStart(8)}   max ${Math.max(...v).toFixed(1).padStart(8)}`);

const sito = await avviaSchede();
try {
  sito.beside.set(NOME, fixture('year-card.xlsx'));
  const page = await apriSchede(sito);

  const carica = (conAspetto) => page.evaluate(async ([n, volte, aspetto]) => {
    if (aspetto) await kvTogli('vecchio_aspetto:' + n); else await kvScrivi('vecchio_aspetto:' + n, true);
    const tempi = [];
    for (let i = 0; i < volte; i++) {
      sk.rifatte.clear();
      const t0 = performance.now();
      await caricaScheda();
      void document.body.offsetHeight;
      tempi.push(performance.now() - t0);
    }
    await kvTogli('vecchio_aspetto:' + n);
    return tempi;
  }, [NOME, giri, conAspetto]);
  riga('load to drawn table, restyle included', await carica(true));
  riga('load to drawn table, no restyle', await carica(false));

  riga('table edit to stored (browser copy)', await page.evaluate(async (volte) => {
    const rif = document.querySelector('td.xin').dataset.r;
    const tempi = [];
    for (let i = 0; i < volte; i++) {
      const t0 = performance.now();
      await registra(rif, String(60 + i));
      tempi.push(performance.now() - t0);
    }
    return tempi;
  }, giri));

  riga('week added through the page (browser copy)', await page.evaluate(async (volte) => {
    const tempi = [];
    for (let i = 0; i < volte; i++) {
      const t0 = performance.now();
      await creaSettimana();
      tempi.push(performance.now() - t0);
    }
    return tempi;
  }, Math.min(giri, 5)));

  await page.close();
  const file = await apriSchede(sito);
  await fileSuDisco(file, NOME, fixture('year-card.xlsx'));
  await collega(file);
  riga('table edit to written (linked file, after the pause)', await file.evaluate(async (volte) => {
    const rif = document.querySelector('td.xin').dataset.r;
    const tempi = [];
    for (let i = 0; i < volte; i++) {
      sk.attesa[rif] = String(70 + i);
      const t0 = performance.now();
      await salvaNelFile();
      tempi.push(performance.now() - t0);
    }
    return tempi;
  }, giri));
  console.log('(a table edit waits a 600 ms pause before the write above starts)');
} finally {
  await sito.chiudi();
}
