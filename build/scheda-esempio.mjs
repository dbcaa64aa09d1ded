// Writes site/scheda-esempio.js: the sample card a member can try on the Schede page and the test
// cloud's athletes get. It is the one-week fixture card in the gym's look, its loads empty and
// placeholders for the athlete and the coach, made by the page's own functions.
// usage: node build/scheda-esempio.mjs   (after building the native preset, for the dev server)
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { avviaSito } from '../tests/browser/lib/sito.mjs';

const radice = join(dirname(fileURLToPath(import.meta.url)), '..');
const carta = readFileSync(join(radice, 'tests', 'fixtures', 'cards', 'one-week.xlsx'));
const sito = await avviaSito();
try {
  const page = await sito.context.newPage();
  await page.goto(sito.base);
  const dati = await page.evaluate(async (b64) => {
    let bytes = daBase64(b64);
    const nuovo = await abbellisciScheda(bytes);
    if (nuovo) bytes = await nuovo.arrayBuffer();
    return aBase64(await conAtleta(bytes, 'Il tuo nome', 'Il tuo istruttore'));
  }, carta.toString('base64'));
  const esempio = { nome: 'Scheda di esempio.xlsx', dati };
  writeFileSync(join(radice, 'site', 'scheda-esempio.js'),
    `// The sample card of the Schede page and of the test cloud, written by build/scheda-esempio.mjs.\nwindow.__TS_SCHEDA_ESEMPIO__ = ${JSON.stringify(esempio)};\n`);
} finally {
  await sito.chiudi();
}
