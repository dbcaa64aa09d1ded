// On a touch screen the access to a linked file is asked when the finger lifts from the card.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSchede, apriSchede, caricata, fixture, testo, collegataInAttesa } from './harness.mjs';

const NOME = 'La mia scheda.xlsx';
let sito;
before(async () => { sito = await avviaSchede({ hasTouch: true }); });
after(() => sito.chiudi());

test('a tap on the table reopens the linked file, a tap elsewhere does not', async () => {
  const page = await apriSchede(sito);
  await collegataInAttesa(page, NOME, fixture('simple.xlsx'));
  assert.equal(await testo(page, '#skStato'), `Collegata a «${NOME}» · tocca la scheda per riaprire il file`);
  await page.tap('.skchip');
  await page.waitForTimeout(300);
  assert.deepEqual(await page.evaluate(() => window.__richieste), [], 'outside the table nothing is asked');
  await page.tap('td.xnome');
  await page.waitForFunction(() => sk.posto === 'file');
  await caricata(page);
  assert.deepEqual(await page.evaluate(() => window.__richieste), [NOME]);
});
