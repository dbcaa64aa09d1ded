// The engine living together with the page: the browser's own shortcuts are kept from the
// engine's keys, copy outside the engine stays the page's, and leaving with unsaved changes asks.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { avvia, apriSchede, attendi, fixture, scriviInStilaro, stilaroPronto } from './banco.mjs';

let sito;

before(async () => {
  sito = await avvia();
  await sito.context.grantPermissions(['clipboard-read', 'clipboard-write']);
});

after(async () => {
  await sito?.chiudi();
});

// Whether the page kept the browser's action of each key, seen after every listener ran.
async function tasti(page, combinazioni) {
  await page.evaluate(() => {
    if (!window.__tasti) window.addEventListener('keydown', (e) => { if (e.ctrlKey) window.__tasti.push(e.key.toLowerCase() + (e.defaultPrevented ? ' fermato' : ' libero')); });
    window.__tasti = [];
  });
  for (const c of combinazioni) await page.keyboard.press(c);
  return page.evaluate(() => window.__tasti);
}

test('inside the engine Ctrl+S and the other browser shortcuts are prevented; outside they are not', async () => {
  const page = await apriSchede(sito, { copia: fixture('simple.xlsx') });
  await stilaroPronto(page);
  await page.locator('#stFoglio').click({ position: { x: 300, y: 120 } });
  // Control pressed alone and Ctrl+Alt+S stay the browser's.
  assert.deepEqual(await tasti(page, ['Control+s', 'Control+f', 'Control+p', 'Control+Alt+s']), [
    'control libero', 's fermato', 'control libero', 'f fermato', 'control libero', 'p fermato',
    'control libero', 'alt libero', 's libero',
  ]);
  // Elsewhere on the page the same keys are the browser's.
  await page.locator('#p-schede h1').click();
  assert.deepEqual(await tasti(page, ['Control+s']), ['control libero', 's libero']);
  await page.close();
});

test('Ctrl+C on page text copies that text while the engine runs', async () => {
  const page = await apriSchede(sito, { copia: fixture('simple.xlsx') });
  await stilaroPronto(page);
  await page.evaluate(() => navigator.clipboard.writeText('vuoto'));
  await page.evaluate(() => {
    const h = document.querySelector('#p-schede h1');
    getSelection().selectAllChildren(h);
    document.activeElement.blur();
  });
  await page.keyboard.press('Control+c');
  assert.equal(await page.evaluate(() => navigator.clipboard.readText()), 'La tua scheda');
  await page.close();
});

test('closing the page with a change the engine could not write raises the leave-page question', async () => {
  const page = await apriSchede(sito, {
    copia: fixture('simple.xlsx'),
    init: [() => {
      const put = IDBObjectStore.prototype.put;
      IDBObjectStore.prototype.put = function (v, k) {
        if (window.__pieno && String(k).startsWith('copia:')) throw new DOMException('pieno', 'QuotaExceededError');
        return put.call(this, v, k);
      };
    }],
  });
  await stilaroPronto(page);
  await page.evaluate(() => { window.__pieno = true; });
  await scriviInStilaro(page, 'L3', '42');
  await page.waitForFunction(() => /^Non salvato: /.test($('stStato').textContent), null, { timeout: 15000 });
  const tipi = [];
  page.on('dialog', (d) => tipi.push(d.type()));
  await page.close({ runBeforeUnload: true });
  await attendi(() => tipi.length === 1, 'the leave-page question');
  assert.deepEqual(tipi, ['beforeunload']);
});
