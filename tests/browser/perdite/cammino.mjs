// One walk: a fresh device, the commands run against the model and the page, then the member
// stops, closes everything, opens the card once more, and storage is read and checked.
import fc from 'fast-check';
import { CARTA, apriTab, avviaBanco, caricata, chiudiMondo, chiudiTab, leggiArchivio, nuovoMondo, quiete, risponde } from './banco.mjs';
import { COMANDI, comando, nuovoModello } from './comandi.mjs';
import { descriviPerdite, perdite } from './oracolo.mjs';

export { avviaBanco };

// The end of a walk as a patient member ends it: failures gone, the cloud back, a refused save
// tried again on every device, the engine's pending save let through, every tab closed and the
// card opened again.
async function fine(r) {
  r.rete.offline = false;
  r.f.guasti = 0;
  for (const page of [...r.tab, r.altro]) {
    if (!page || page.isClosed()) continue;
    await page.evaluate(() => { localStorage.removeItem('__guasto_idb'); localStorage.removeItem('__guasto_file'); });
    await quiete(page);
    const riprova = page.locator('#skSalva button', { hasText: 'Riprova a salvare' });
    if (await riprova.count()) {
      await riprova.click();
      await quiete(page);
    }
    await page.waitForFunction(() => !(stil.avviato && stilaro.foglio_da_salvare()), null, { timeout: 30000 }).catch(() => {});
    await quiete(page);
  }
  if (r.altro && !r.altro.isClosed()) await r.altro.close({ runBeforeUnload: true });
  for (const i of [1, 0]) await chiudiTab(r, i, true);
  const ultima = await apriTab(r, 0);
  if (await ultima.evaluate(() => sk.vista === 'stilaro')) {
    await ultima.waitForFunction(() => (stil.avviato && $('stCopri').hidden) || stil.errore, null, { timeout: 30000 }).catch(() => {});
  }
  await caricata(ultima);
  await chiudiTab(r, 0, true);
}

// Runs the commands; resolves to the losses found (empty when nothing was lost).
export async function cammina(banco, comandi, { registro = () => {} } = {}) {
  const r = await nuovoMondo(banco, registro);
  r.diario = [];
  const t0 = Date.now();
  const scrivi = (t) => { r.diario.push(t); registro(`${((Date.now() - t0) / 1000).toFixed(1).padStart(6)} s ${t}`); };
  r.nota = (t) => scrivi('    ' + t);
  r.registro = scrivi;
  const m = nuovoModello();
  try {
    await apriTab(r, 0);
    await fc.asyncModelRun(() => ({ model: m, real: r }), comandi);
    await fine(r);
    const archivio = await leggiArchivio(r);
    const perse = await perdite(m, archivio, CARTA);
    // A journal of typed values still waiting after the card was opened again was never replayed.
    const giornale = archivio.locale.ts_giornale && archivio.locale.ts_giornale !== '[]' && archivio.locale.ts_giornale !== '{}'
      ? archivio.locale.ts_giornale : '';
    return { perse, giornale, diario: r.diario, errori: r.errori, modello: m };
  } catch (e) {
    e.diario = r.diario;
    throw e;
  } finally {
    await chiudiMondo(r);
  }
}

export const daTesto = (righe) => righe.map(([nome, ...args]) => comando(nome, ...args));

export function resoconto(esito) {
  return `${descriviPerdite(esito.perse)}\npercorso:\n${esito.diario.join('\n')}`
    + (esito.giornale ? `\ngiornale ancora in attesa: ${esito.giornale}` : '')
    + (esito.errori.length ? `\nerrori della pagina:\n${esito.errori.join('\n')}` : '');
}

// A seeded random walk with fast-check; on a loss, fast-check shrinks it within `tentativi`
// further walks, and the shortest losing sequence is kept.
export async function camminoCasuale(banco, { seme, comandiMassimi = 20, tentativi = 0, registro = () => {} }) {
  let peggiore = null;
  let corse = 0;
  const proprieta = fc.asyncProperty(fc.commands(COMANDI, { maxCommands: comandiMassimi, size: 'max' }), async (cmds) => {
    corse++;
    if (peggiore && corse > tentativi + 1) return true;
    const esito = await cammina(banco, cmds, { registro });
    if (!esito.perse.length) return true;
    if (!peggiore || esito.diario.length <= peggiore.diario.length) peggiore = { ...esito, comandi: [...cmds].map(String) };
    registro(`  perdita (corsa ${corse}, ${[...cmds].length} comandi)`);
    return false;
  });
  const dettagli = await fc.check(proprieta, { seed: seme, numRuns: 1, endOnFailure: tentativi === 0 });
  return { seme, corse, peggiore, errore: dettagli.failed && !peggiore ? dettagli.errorInstance : null };
}
