// The engine on a touch screen: a tap selects the cell under the finger (typing
// lands there), a one-finger swipe scrolls the grid, two fingers zoom.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openTestPage } from './test-page.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..', '..');
const FIXTURES = join(root, 'tests', 'fixtures', 'cards');
const scratch = mkdtempSync(join(tmpdir(), 'stilaro-touch-'));
let prova, page, cdp;

// Where a text was typed: the cell address openpyxl finds it in.
function whereIs(bytes, text) {
  const file = join(scratch, `t-${Date.now()}.xlsx`);
  writeFileSync(file, Buffer.from(bytes));
  return execFileSync('/usr/bin/python3', ['-c',
    'import openpyxl,sys; ws=openpyxl.load_workbook(sys.argv[1]).active; print(*[c.coordinate for r in ws.iter_rows() for c in r if c.value==sys.argv[2]])',
    file, text], { encoding: 'utf8' }).trim();
}

async function touch(type, points) {
  await cdp.send('Input.dispatchTouchEvent', { type, touchPoints: points.map(([x, y], id) => ({ x, y, id })) });
}

async function typedAt(text) {
  await page.keyboard.type(text);
  const bytes = await page.evaluate(() => {
    stilaro.foglio_conferma();
    const last = salvataggi[salvataggi.length - 1];
    stilaro.foglio_esito(true, '');
    return [...last];
  });
  return whereIs(bytes, text);
}

before(async () => {
  prova = await openTestPage({ hasTouch: true }, async (p, b) => { cdp = await b.context.newCDPSession(p); });
  ({ page } = prova);
  await page.evaluate(async (bytes) => {
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(bytes), salvaDalStilaro);
  }, [...readFileSync(join(FIXTURES, 'simple.xlsx'))]);
});

after(async () => {
  await prova?.close();
  rmSync(scratch, { recursive: true, force: true });
});

test('a tap selects the cell under the finger', async () => {
  // Row 1 starts 50 px down (edit bar and column headers); rows are 20 px.
  await page.touchscreen.tap(120, 50 + 20 * 9 + 10);
  assert.equal(await typedAt('toccata'), 'A10');
});

test('a swipe scrolls instead of selecting', async () => {
  await touch('touchStart', [[400, 600]]);
  for (let y = 580; y >= 200; y -= 20) await touch('touchMove', [[400, y]]);
  await touch('touchEnd', []);
  // The selection stayed on A10; swiping 400 px up moved the grid about 20 rows.
  assert.equal(await typedAt('ferma'), 'A10');
  await page.touchscreen.tap(120, 50 + 20 * 0 + 10);
  const top = await typedAt('dopo');
  assert.match(top, /^A(1[6-9]|2[0-2])$/);
});

test('two fingers pinch to zoom in', async () => {
  await page.evaluate(() => stilaro.foglio_vai('A1'));
  // Spread around the top of the grid, so what lies below moves further down.
  await touch('touchStart', [[100, 60], [140, 60]]);
  for (let d = 60; d <= 200; d += 20) await touch('touchMove', [[120 - d / 2, 60], [120 + d / 2, 60]]);
  await touch('touchEnd', []);
  // Zoomed in five times: row 10's old place now holds an upper row.
  await page.touchscreen.tap(120, 50 + 20 * 9 + 10);
  const at = await typedAt('zoom');
  assert.match(at, /^[A-Z]+[0-9]+$/);
  assert.ok(Number(at.replace(/[A-Z]+/, '')) < 10, `tapped ${at}`);
});
