// The test cloud in a page: a sample card beside the page, the test switched on from the area.
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { apri } from '../lib/sito.mjs';

const qui = dirname(fileURLToPath(import.meta.url));
export const ESEMPIO = readFileSync(join(qui, '..', '..', 'fixtures', 'cards', 'one-week.xlsx'));
export const XLSX = 'application/vnd.openxmlformats-officedocument.spreadsheetml.sheet';

// The site's default card, answered beside the page so that the test athletes get their cards.
export async function conEsempio(sito) {
  await sito.context.route((url) => url.pathname.endsWith('/La%20mia%20scheda.xlsx'),
    (route) => route.fulfill({ status: 200, contentType: XLSX, body: ESEMPIO }));
}

export async function apriArea(sito, opzioni = {}) {
  const page = await apri(sito, { percorso: '#area', ...opzioni });
  await page.waitForFunction(() => area.pronta);
  return page;
}

// Switches the test on through its button and waits until the area shows the test card.
export async function accendi(page) {
  await page.getByRole('button', { name: '▶ Prova l\'area riservata' }).click();
  await page.locator('.aprova').waitFor();
}

export async function entraCome(page, etichetta) {
  await page.getByRole('button', { name: etichetta, exact: true }).click();
  await page.waitForFunction((e) => {
    const a = PROVA_ACCOUNT.find((x) => x.etichetta === e);
    return area.mio && area.mio.email === a.email && !area.carica && document.querySelector('#areaBox .ahead');
  }, etichetta);
}

export function datiProva(page) {
  return page.evaluate(() => JSON.parse(localStorage.getItem('ts_prova_dati')));
}
