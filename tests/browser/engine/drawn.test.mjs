// The drawn card in Chromium: conditional fills, hatched fills and charts reach the
// canvas through the glue (an unknown drawing operation would stop the frame).
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync, readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openTestPage } from './test-page.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..', '..');
const shots = join(root, 'out', 'screenshots', 'engine');
let prova, page;
const errors = [];

before(async () => {
  prova = await openTestPage({}, (p) => p.on('pageerror', (e) => errors.push(e.message)));
  ({ page } = prova);
  mkdirSync(shots, { recursive: true });
});

after(async () => { await prova?.close(); });

// The colours the canvas holds at CSS points (device pixels at the page's ratio).
const colours = (points) => page.evaluate((pts) => {
  const canvas = document.getElementById('foglio');
  const ratio = canvas.width / canvas.getBoundingClientRect().width;
  const ctx = canvas.getContext('2d');
  return pts.map(([x, y]) => {
    const d = ctx.getImageData(Math.round(x * ratio), Math.round(y * ratio), 1, 1).data;
    return ((d[0] << 16) | (d[1] << 8) | d[2]).toString(16).padStart(6, '0');
  });
}, points);

test('the drawn card shows its rules, patterns and charts', async () => {
  const bytes = [...readFileSync(join(root, 'tests', 'fixtures', 'cards', 'drawn-card.xlsx'))];
  await page.evaluate(async (b) => {
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(b), salvaDalStilaro);
  }, bytes);
  await page.waitForTimeout(300);
  await page.screenshot({ path: join(shots, 'drawn-card.png') });
  assert.deepEqual(errors, []);
  // Where the cells and charts stand on a 1320x880 canvas with the default widths.
  const box = await page.evaluate(() => document.getElementById('foglio').getBoundingClientRect().toJSON());
  const at = (x, y) => [box.x + x, box.y + y];
  const [heavy, goal, low, high] = await colours([at(455, 100), at(518, 80), at(150, 200), at(455, 200)]);
  assert.equal(heavy, 'ffc7ce');  // G3: 100 kg over 90
  assert.equal(goal, 'c6efce');   // H2: the goal reached
  assert.equal(low, 'f8696b');    // B8: the smallest volume
  assert.equal(high, '63be7b');   // G8: the largest
  // B10 is dark gray dots: both colours of the pattern appear across a few pixels.
  const row = await colours([...Array(8)].map((_, i) => at(150 + i, 240)));
  assert.ok(new Set(row).size >= 2, 'hatched, not solid: ' + row.join(','));
});
