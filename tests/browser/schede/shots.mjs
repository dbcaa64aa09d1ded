// Screenshots of the Schede page for looking at it: year card, two-workout card, empty device,
// at the desktop window size and at a phone's.   node tests/browser/schede/shots.mjs OUTDIR
import { avviaSchede, apriSchede, fixture } from './harness.mjs';

const fuori = process.argv[2] || '.';
const sito = await avviaSchede();
try {
  const casi = [['anno', 'year-card.xlsx'], ['due', 'two-workouts.xlsx'], ['vuoto', null]];
  for (const [nome, file] of casi) {
    sito.beside.clear();
    if (file) sito.beside.set('La mia scheda.xlsx', fixture(file));
    for (const [w, h] of [[1320, 880], [390, 844]]) {
      const page = await apriSchede(sito, { viewport: { width: w, height: h } });
      if (page.errori.length) console.error(page.errori);
      await page.evaluate(() => document.fonts.ready);
      await page.screenshot({ path: `${fuori}/${nome}-${w}.png` });
      const tabella = await page.$('#xlTabella');
      await tabella.scrollIntoViewIfNeeded();
      await page.screenshot({ path: `${fuori}/${nome}-${w}-tabella.png` });
      await page.close();
    }
  }
} finally {
  await sito.chiudi();
}
