// The engine in Chromium, loaded the page's way, driven through its seven
// operations with real keyboard and pointer input; saved bytes are checked
// with an independent reader (openpyxl).
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
const FIXTURES = join(root, 'tests', 'fixtures', 'cards');
const shots = join(root, 'out', 'screenshots', 'engine');
const scratch = mkdtempSync(join(tmpdir(), 'stilaro-'));

let prova, page;

function cellsOf(bytes, refs) {
  const file = join(scratch, `salvata-${Date.now()}-${Math.random()}.xlsx`);
  writeFileSync(file, Buffer.from(bytes));
  return JSON.parse(execFileSync('/usr/bin/python3', [join(here, 'xlsx-cells.py'), file, ...refs], { encoding: 'utf8' }));
}

// The addresses of the cells holding a text, as openpyxl prints a list.
const whereIs = (file, text) => execFileSync('/usr/bin/python3', ['-c',
  'import openpyxl,sys; ws=openpyxl.load_workbook(sys.argv[1]).active; print([c.coordinate for r in ws.iter_rows() for c in r if c.value==sys.argv[2]])',
  file, text], { encoding: 'utf8' }).trim();
const fixture = (name) => [...readFileSync(join(FIXTURES, name))];
const saves = () => page.evaluate(() => salvataggi.length);
const lastSave = () => page.evaluate(() => [...salvataggi[salvataggi.length - 1]]);
const unsaved = () => page.evaluate(() => stilaro.foglio_da_salvare());
// Answers the saves made meanwhile (typing may outlast the save delay on a busy
// machine), then closes the cell and saves: the bytes of that last save.
const savedNow = () => page.evaluate(() => {
  while (salvataggi.length > risposte) {
    risposte++;
    stilaro.foglio_esito(true, '');
  }
  stilaro.foglio_conferma();
  risposte = salvataggi.length;
  return [...salvataggi[salvataggi.length - 1]];
});
const until = async (check, what, ms = 5000) => {
  const end = Date.now() + ms;
  while (Date.now() < end) {
    if (await check()) return;
    await new Promise((r) => setTimeout(r, 50));
  }
  throw new Error('timed out waiting for ' + what);
};

async function start(name) {
  await page.evaluate(async (bytes) => {
    salvataggi.length = 0;
    risposte = 0;
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(bytes), salvaDalStilaro);
  }, fixture(name));
}

before(async () => {
  prova = await openTestPage({}, (p) => p.on('pageerror', (e) => console.error('page error:', e.message)));
  ({ page } = prova);
  mkdirSync(shots, { recursive: true });
});

after(async () => {
  await prova?.close();
  rmSync(scratch, { recursive: true, force: true });
});

test('loads the page\'s way: one global, seven operations, the Base64 text dropped', async () => {
  const seen = await page.evaluate(() => ({
    kind: typeof stilaro,
    ops: ['foglio_avvia', 'foglio_carica', 'foglio_conferma', 'foglio_da_salvare', 'foglio_esito', 'foglio_ferma', 'foglio_vai']
      .filter((op) => typeof stilaro[op] === 'function').length,
    text: 'STILARO_WASM_GZ' in window,
  }));
  assert.deepEqual(seen, { kind: 'function', ops: 7, text: false });
});

test('the year card opens and looks like a spreadsheet', async () => {
  await start('year-card.xlsx');
  assert.equal(await unsaved(), false);
  const field = await page.evaluate(() => document.querySelectorAll('body > textarea').length);
  assert.equal(field, 1, 'one hidden field appended to the body');
  await page.waitForTimeout(300);
  await page.screenshot({ path: join(shots, 'year-card.png') });
  await page.evaluate(() => stilaro.foglio_vai('A608'));
  await page.waitForTimeout(100);
  await page.screenshot({ path: join(shots, 'year-card-last-week.png') });
  // The canvas is really painted: more than a few colours in the grid.
  const colours = await page.evaluate(() => {
    const c = document.getElementById('foglio');
    const data = c.getContext('2d').getImageData(0, 0, c.width, c.height).data;
    const seen = new Set();
    for (let i = 0; i < data.length; i += 4 * 97) seen.add((data[i] << 16) | (data[i + 1] << 8) | data[i + 2]);
    return seen.size;
  });
  assert.ok(colours > 20, `only ${colours} colours on the canvas`);
});

test('typed values are saved shortly after, as bytes that reopen with them', async () => {
  await start('year-card.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('E10'));
  await page.keyboard.type('95');
  await page.keyboard.press('Enter');
  await page.keyboard.type('12,5');
  await page.screenshot({ path: join(shots, 'year-card-typing.png') });
  await page.keyboard.press('Tab');
  assert.equal(await unsaved(), true);
  await until(async () => (await saves()) === 1, 'the automatic save');
  const cells = cellsOf(await lastSave(), ['E10', 'E11', 'A1', 'A6']);
  assert.equal(cells.cells.E10, 95);
  assert.equal(cells.cells.E11, 12.5);
  assert.equal(cells.cells.A1, 'ATLETA: MATTEO BARBIERI');
  assert.deepEqual(cells.sheets, ['Scheda annuale']);
  // Unsaved until the page answers the save with true.
  assert.equal(await unsaved(), true);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
  assert.equal(await unsaved(), false);
});

// The <v> elements of the active sheet's XML in a saved file, by cell address.
function storedValues(bytes) {
  const file = join(scratch, `v-${Date.now()}-${Math.random()}.xlsx`);
  writeFileSync(file, Buffer.from(bytes));
  return JSON.parse(execFileSync('/usr/bin/python3', ['-c', `
import json, re, sys, openpyxl, zipfile
book = openpyxl.load_workbook(sys.argv[1])
index = book.sheetnames.index(book.active.title) + 1
xml = zipfile.ZipFile(sys.argv[1]).read('xl/worksheets/sheet%d.xml' % index).decode()
print(json.dumps(dict(re.findall(r'<c r="([A-Z]+[0-9]+)"[^>]*>(?:<f>[^<]*</f>)?<v>([^<]*)</v>', xml))))`, file], { encoding: 'utf8' }));
}

test('round numbers and formula results are stored as plain digits', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('L2'));
  for (const typed of ['20', '100', '1000', '82,5', '0,001', '1000000', '=L2*5', '=L4/8']) {
    await page.keyboard.type(typed);
    await page.keyboard.press('Enter');
  }
  const v = storedValues(await savedNow());
  assert.deepEqual(['L2', 'L3', 'L4', 'L5', 'L6', 'L7', 'L8', 'L9'].map((a) => v[a]),
    ['20', '100', '1000', '82.5', '0.001', '1000000', '100', '125']);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('a refused save keeps the change unsaved; foglio_conferma saves at once', async () => {
  await start('year-card.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('F10'));
  await page.keyboard.type('7');
  await page.keyboard.press('Enter');
  await until(async () => (await saves()) === 1, 'the first save');
  await page.evaluate(() => stilaro.foglio_esito(false, 'il file è aperto in un altro programma'));
  assert.equal(await unsaved(), true);
  // Typing left open in a cell is closed and saved by foglio_conferma, without waiting.
  await page.keyboard.type('9');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(await saves(), 2);
  const cells = cellsOf(await lastSave(), ['F10', 'F11']);
  assert.deepEqual([cells.cells.F10, cells.cells.F11], [7, 9]);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
  assert.equal(await unsaved(), false);
  // Nothing new: foglio_conferma asks for no save.
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(await saves(), 2);
});

test('a change made while a save is out is saved after its answer', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('L2'));
  await page.keyboard.type('1');
  await page.keyboard.press('Enter');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(await saves(), 1);
  await page.keyboard.type('2');
  await page.keyboard.press('Enter');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(await saves(), 1, 'one save at a time');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
  assert.equal(await unsaved(), true, 'the second change is not in the answered save');
  await until(async () => (await saves()) === 2, 'the follow-up save');
  assert.deepEqual(Object.values(cellsOf(await lastSave(), ['L2', 'L3']).cells), [1, 2]);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
  assert.equal(await unsaved(), false);
});

test('foglio_vai("B215") selects it: typing lands there', async () => {
  await start('year-card.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('B215'));
  await page.screenshot({ path: join(shots, 'year-card-B215.png') });
  await page.keyboard.type('nota di prova');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(cellsOf(await lastSave(), ['B215']).cells.B215, 'nota di prova');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('foglio_carica shows another card; a foglio_vai right after applies to it', async () => {
  await start('year-card.xlsx');
  await page.evaluate((bytes) => {
    stilaro.foglio_carica(new Uint8Array(bytes));
    stilaro.foglio_vai("'Scheda settembre'!C4");
  }, fixture('libreoffice-multisheet.xlsx'));
  await page.keyboard.type('44');
  await page.keyboard.press('Enter');
  await page.evaluate(() => stilaro.foglio_conferma());
  const cells = cellsOf(await lastSave(), ['Scheda settembre!C4']);
  assert.deepEqual(cells.sheets, ['Anamnesi', 'Scheda', 'Scheda settembre']);
  assert.equal(cells.cells['Scheda settembre!C4'], 44);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('paste and copy go through the clipboard events as tab-separated text', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('L1'));
  const copied = await page.evaluate(() => {
    const paste = new DataTransfer();
    paste.setData('text/plain', 'uno\tdue\r\n3\t4,5');
    document.activeElement.dispatchEvent(new ClipboardEvent('paste', { clipboardData: paste, bubbles: true, cancelable: true }));
    const copy = new DataTransfer();
    document.activeElement.dispatchEvent(new ClipboardEvent('copy', { clipboardData: copy, bubbles: true, cancelable: true }));
    return copy.getData('text/plain');
  });
  assert.equal(copied, 'uno\tdue\r\n3\t4,5\r\n');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.deepEqual(Object.values(cellsOf(await lastSave(), ['L1', 'M1', 'L2', 'M2']).cells), ['uno', 'due', 3, 4.5]);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('undo, the mouse and Escape', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('A1'));
  await page.keyboard.press('Delete');
  await page.keyboard.press('Control+z');
  await page.keyboard.type('non scritto');
  await page.keyboard.press('Escape');
  // A click on a cell, then typing: the value lands in the clicked cell.
  const box = await page.locator('#foglio').boundingBox();
  await page.mouse.click(box.x + 300, box.y + 120);
  await page.keyboard.type('cliccata');
  await page.keyboard.press('Enter');
  // The automatic saves made meanwhile are answered, so foglio_conferma may save again.
  await page.evaluate(() => {
    while (stilaro.foglio_da_salvare() && salvataggi.length > risposte) {
      risposte++;
      stilaro.foglio_esito(true, '');
    }
    stilaro.foglio_conferma();
  });
  const bytes = await lastSave();
  const cells = cellsOf(bytes, ['A1']);
  assert.equal(cells.cells.A1, 'ATLETA: MARIO ROSSI');
  const file = join(scratch, 'cliccata.xlsx');
  writeFileSync(file, Buffer.from(bytes));
  assert.match(whereIs(file, 'cliccata'), /^\['[A-Z]+[0-9]+'\]$/);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('a double-click opens the cell for editing with its text', async () => {
  await start('simple.xlsx');
  const box = await page.locator('#foglio').boundingBox();
  // A1: right of the row headers, below the edit bar and the column headers.
  await page.mouse.dblclick(box.x + 60, box.y + 58);
  await page.keyboard.type('!');
  await page.keyboard.press('Enter');
  assert.equal(cellsOf(await savedNow(), ['A1']).cells.A1, 'ATLETA: MARIO ROSSI!');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('while a formula is typed, arrows and a click write references', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('L2'));
  // L2 now stands at the grid's top left.
  const box = await page.locator('#foglio').boundingBox();
  await page.keyboard.type('10');
  await page.keyboard.press('Enter');
  await page.keyboard.type('20');
  await page.keyboard.press('Enter');
  await page.keyboard.type('=');
  await page.mouse.click(box.x + 40, box.y + 55);
  await page.keyboard.type('+');
  await page.keyboard.press('ArrowUp');
  await page.screenshot({ path: join(shots, 'pointing.png') });
  await page.keyboard.press('Enter');
  const saved = cellsOf(await savedNow(), ['L4']);
  assert.equal(saved.cells.L4, '=L2+L3');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('a formula of 100,000 terms, typed or in a file, is worked out in its cell', async () => {
  const terms = Array(100000).fill('A1').join('+');
  const file = join(scratch, 'lunga.xlsx');
  // openpyxl cuts texts at 32,767 characters: the formula is put in the XML afterwards.
  execFileSync('/usr/bin/python3', ['-c', `
import io, openpyxl, sys, zipfile
book = openpyxl.Workbook()
book.active['A1'] = 2
book.active['B1'] = '=1'
packed = io.BytesIO()
book.save(packed)
source = zipfile.ZipFile(packed)
with zipfile.ZipFile(sys.argv[1], 'w', zipfile.ZIP_DEFLATED) as out:
    for name in source.namelist():
        data = source.read(name)
        if name == 'xl/worksheets/sheet1.xml':
            data = data.replace(b'<f>1</f>', b'<f>' + sys.stdin.read().encode() + b'</f>')
        out.writestr(name, data)`, file], { input: terms });
  const errors = [];
  const listen = (e) => errors.push(e.message);
  page.on('pageerror', listen);
  await page.evaluate(async (bytes) => {
    risposte = 0;
    salvataggi.length = 0;
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(bytes), salvaDalStilaro);
  }, [...readFileSync(file)]);
  await page.evaluate(() => stilaro.foglio_vai('C1'));
  await page.keyboard.insertText('=' + terms);
  await page.keyboard.press('Enter');
  page.off('pageerror', listen);
  const v = storedValues(await savedNow());
  assert.deepEqual([v.B1, v.C1, errors], ['200000', '200000', []]);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('the wheel scrolls the grid: the same point then holds a lower row', async () => {
  await start('year-card.xlsx');
  const box = await page.locator('#foglio').boundingBox();
  await page.mouse.move(box.x + 600, box.y + 400);
  await page.mouse.wheel(0, 4000);
  await page.waitForTimeout(100);
  await page.mouse.click(box.x + 300, box.y + 120);
  await page.keyboard.type('giù');
  await page.evaluate(() => stilaro.foglio_conferma());
  const file = join(scratch, 'rotella.xlsx');
  writeFileSync(file, Buffer.from(await lastSave()));
  const [where] = JSON.parse(whereIs(file, 'giù').replace(/'/g, '"'));
  assert.ok(Number(where.replace(/[A-Z]+/, '')) > 150, `typed at ${where}`);
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('the auto-filter button filters rows by value; a defined name is a place to go', async () => {
  const file = join(scratch, 'filtro.xlsx');
  execFileSync('/usr/bin/python3', [join(here, 'make-filter-card.py'), file]);
  await page.evaluate(async (bytes) => {
    risposte = 0;
    salvataggi.length = 0;
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(bytes), salvaDalStilaro);
  }, [...readFileSync(file)]);
  const box = await page.locator('#foglio').boundingBox();
  // A1 spans x 32-96 and y 50-70 (edit bar 30, column headers 20, row headers 32);
  // its 16-pixel button sits in the cell's bottom-right corner.
  await page.mouse.click(box.x + 87, box.y + 61);
  await page.screenshot({ path: join(shots, 'filter-menu.png') });
  // The menu opens under the button: "(Seleziona tutto)", PANCA, SQUAT, STACCO, then OK.
  await page.mouse.click(box.x + 99, box.y + 77 + 22 + 11);
  await page.mouse.click(box.x + 99, box.y + 77 + 22 * 4 + 6 + 17);
  await page.screenshot({ path: join(shots, 'filtered.png') });
  await page.evaluate(() => stilaro.foglio_vai('Record'));
  await page.keyboard.type('125');
  await page.keyboard.press('Enter');
  await page.evaluate(() => stilaro.foglio_conferma());
  const saved = cellsOf(await lastSave(), ['B5', 'A3']);
  assert.deepEqual(saved.hidden_rows, [2, 4]);
  assert.equal(saved.cells.B5, 125);
  assert.equal(saved.cells.A3, 'SQUAT');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
});

test('text composed with an input method lands whole in the cell', async () => {
  await start('simple.xlsx');
  await page.evaluate(() => stilaro.foglio_vai('L3'));
  const cdp = await prova.browser.context.newCDPSession(page);
  await cdp.send('Input.imeSetComposition', { text: 'か', selectionStart: 1, selectionEnd: 1 });
  await cdp.send('Input.imeSetComposition', { text: 'かん', selectionStart: 2, selectionEnd: 2 });
  await cdp.send('Input.insertText', { text: '漢' });
  await page.keyboard.type('字');
  await page.keyboard.press('Enter');
  await page.evaluate(() => stilaro.foglio_conferma());
  assert.equal(cellsOf(await lastSave(), ['L3']).cells.L3, '漢字');
  await page.evaluate(() => stilaro.foglio_esito(true, ''));
  await cdp.detach();
});

test('a card is painted once on opening; a new canvas size paints it again, an unchanged one does not', async () => {
  // Each frame the glue draws starts by resetting the transform: counting those counts frames.
  await page.evaluate(() => {
    window.quadri = 0;
    const reset = CanvasRenderingContext2D.prototype.setTransform;
    window.rimettiQuadri = () => { CanvasRenderingContext2D.prototype.setTransform = reset; };
    CanvasRenderingContext2D.prototype.setTransform = function (...args) {
      quadri++;
      return reset.apply(this, args);
    };
  });
  const frames = () => page.evaluate(() => new Promise((done) =>
    requestAnimationFrame(() => requestAnimationFrame(() => done(quadri)))));
  try {
    await start('simple.xlsx');
    assert.equal(await frames(), 1, 'the size observer\'s first report repaints nothing');
    await page.evaluate(() => dispatchEvent(new Event('resize')));
    assert.equal(await frames(), 1, 'a window resize that leaves the canvas alone');
    await page.evaluate(() => { document.getElementById('pannello').style.right = '200px'; });
    assert.equal(await frames(), 2);
    await page.evaluate(() => { document.getElementById('pannello').style.right = ''; });
    assert.equal(await frames(), 3);
    await page.evaluate((bytes) => stilaro.foglio_carica(new Uint8Array(bytes)), fixture('one-week.xlsx'));
    assert.equal(await frames(), 4, 'another card is painted at the same size');
  } finally {
    await page.evaluate(() => rimettiQuadri());
  }
});

test('foglio_ferma stops the engine and takes its field away', async () => {
  await start('simple.xlsx');
  await page.keyboard.type('1');
  await page.evaluate(() => stilaro.foglio_ferma());
  const after = await page.evaluate(() => ({
    fields: document.querySelectorAll('body > textarea').length,
    unsaved: stilaro.foglio_da_salvare(),
  }));
  assert.deepEqual(after, { fields: 0, unsaved: false });
  // And it starts again on a new canvas.
  await page.evaluate(() => {
    const old = document.getElementById('foglio');
    const fresh = document.createElement('canvas');
    fresh.id = 'foglio';
    old.replaceWith(fresh);
  });
  await start('one-week.xlsx');
  assert.equal(await unsaved(), false);
  await page.evaluate(() => stilaro.foglio_ferma());
});

test('empty bytes start a new workbook, which saves as a complete file', async () => {
  await page.evaluate(async () => {
    risposte = 0;
    salvataggi.length = 0;
    await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(0), salvaDalStilaro);
  });
  await page.keyboard.type('ciao');
  await page.evaluate(() => stilaro.foglio_conferma());
  const saved = cellsOf(await lastSave(), ['A1']);
  assert.deepEqual([saved.sheets, saved.cells.A1], [['Foglio1'], 'ciao']);
  await page.evaluate(() => { stilaro.foglio_esito(true, ''); stilaro.foglio_ferma(); });
});

test('a broken file is refused with a reason, and the engine is left stopped', async () => {
  const message = await page.evaluate(async (bytes) => {
    try {
      await stilaro.foglio_avvia(document.getElementById('foglio'), new Uint8Array(bytes), () => {});
      return '';
    } catch (e) {
      return e.message;
    }
  }, fixture('broken-not-zip.xlsx'));
  assert.notEqual(message, '');
  assert.equal(await page.evaluate(() => document.querySelectorAll('body > textarea').length), 0);
});
