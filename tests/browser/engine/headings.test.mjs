// Bold headings that nearly fill their cells are drawn whole, on a machine with neither
// Calibri nor a metric twin installed (most phones): the page brings the font the
// layout measures with. Chromium here sees only the DejaVu fonts, rendered as usual.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { mkdirSync, mkdtempSync, readFileSync, rmSync, writeFileSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { openTestPage } from './test-page.mjs';

const here = dirname(fileURLToPath(import.meta.url));
const root = join(here, '..', '..', '..');
const shots = join(root, 'out', 'screenshots', 'engine');
const scratch = mkdtempSync(join(tmpdir(), 'stilaro-fonts-'));
let prova, page;

before(async () => {
  writeFileSync(join(scratch, 'fonts.conf'), `<?xml version="1.0"?>
<!DOCTYPE fontconfig SYSTEM "fonts.dtd">
<fontconfig>
  <dir>/usr/share/fonts/truetype/dejavu</dir>
  <include ignore_missing="yes">/etc/fonts/conf.d</include>
  <cachedir>${scratch}/cache</cachedir>
</fontconfig>
`);
  prova = await openTestPage({ env: { ...process.env, FONTCONFIG_FILE: join(scratch, 'fonts.conf') } });
  ({ page } = prova);
  mkdirSync(shots, { recursive: true });
});

after(async () => {
  await prova?.close();
  rmSync(scratch, { recursive: true, force: true });
});

// Across row 2: where each yellow heading cell starts and ends (its dark blue neighbour
// ends it), and where its dark ink starts and ends.
const headingExtents = () => page.evaluate(() => {
  const canvas = document.getElementById('foglio');
  const ratio = canvas.width / canvas.getBoundingClientRect().width;
  const ctx = canvas.getContext('2d');
  const cells = [];
  let cell = null;
  for (let x = 0; x < canvas.width; x++) {
    const column = ctx.getImageData(x, Math.round(60 * ratio), 1, Math.round(30 * ratio)).data;
    let yellow = false, ink = false, neighbour = false;
    for (let i = 0; i < column.length; i += 4) {
      const [r, g, b] = [column[i], column[i + 1], column[i + 2]];
      if (r === 255 && g === 255 && b === 204) yellow = true;
      if (r === 0x20 && g === 0x38 && b === 0x64) neighbour = true;
      if (r < 120 && g < 120 && b < 120) ink = true;
    }
    if (yellow && !cell) cells.push(cell = { from: x, to: x, inkFrom: null, inkTo: null });
    if (neighbour || (!yellow && !ink)) cell = null;
    if (cell && yellow) cell.to = x;
    if (cell && ink) {
      cell.inkFrom ??= x;
      cell.inkTo = x;
    }
  }
  return cells.map((c) => Object.fromEntries(Object.entries(c).map(([k, v]) => [k, v / ratio])));
});

test('bold headings that nearly fill their cells keep their last letter', async () => {
  const file = join(scratch, 'titoli.xlsx');
  execFileSync('/usr/bin/python3', [join(here, 'make-heading-card.py'), file]);
  await page.evaluate(async (b) => {
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(b), () => {});
  }, [...readFileSync(file)]);
  await page.waitForTimeout(300);
  await page.screenshot({ path: join(shots, 'bold-headings.png') });
  // Each heading's width in Calibri's bold advances at its size, in CSS pixels.
  const measured = [146.36, 162.96, 62.37];
  const cells = await headingExtents();
  assert.equal(cells.length, 3, JSON.stringify(cells));
  cells.forEach((c, k) => {
    const where = JSON.stringify(c);
    // The ink spans the measured width from the cell's padding, less the side
    // bearings of the first and last letters and their faint antialiased edges.
    const inked = c.inkTo - c.inkFrom;
    assert.ok(Math.abs(c.inkFrom - (c.from + 3)) <= 2, 'heading starts at the padding: ' + where);
    assert.ok(inked >= measured[k] - 5 && inked <= measured[k] + 1, 'drawn as wide as measured: ' + where);
    // The padding and the spare pixel stay yellow right of the last letter: nothing was clipped.
    assert.ok(c.to - c.inkTo >= 4, 'the last letter is not cut: ' + where);
  });
});

// The advance widths the layout measures with, per mille of the font size:
// [character, regular, bold, italic, bold italic].
function layoutWidths() {
  const table = readFileSync(join(root, 'engine', 'view', 'advance_widths.inc'), 'utf8');
  return [...table.matchAll(/\{0x([0-9A-F]+), (\d+), (\d+), (\d+), (\d+)\}/g)]
    .map(([, code, ...widths]) => [String.fromCodePoint(parseInt(code, 16)), ...widths.map(Number)]);
}

test('the canvas draws every measured character as wide as the layout measures it', async () => {
  const widths = layoutWidths();
  assert.ok(widths.length > 300, 'the metrics table was found');
  const wrong = await page.evaluate((widths) => {
    // The family the last frame drew its cells with, as the canvas keeps it.
    const drawn = document.getElementById('foglio').getContext('2d').font;
    const family = drawn.slice(drawn.indexOf('px ') + 3);
    const ctx = document.createElement('canvas').getContext('2d');
    const faces = ['', 'bold ', 'italic ', 'italic bold '];
    const out = [];
    for (const [ch, ...expected] of widths) {
      faces.forEach((face, k) => {
        ctx.font = face + '1000px ' + family;
        const width = ctx.measureText(ch).width;
        if (Math.abs(width - expected[k]) > 1) out.push(face + ch + ': ' + width.toFixed(1) + ' for ' + expected[k]);
      });
    }
    return out;
  }, widths);
  assert.deepEqual(wrong, []);
});
