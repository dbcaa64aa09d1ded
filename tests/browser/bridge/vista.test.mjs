// Which view the Schede page opens in, and how the engine follows page and view changes:
// wide screens get the engine on the last week, phones the table without the engine files;
// leaving the page saves and stops it; whole-window mode.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { mkdirSync } from 'node:fs';
import { join } from 'node:path';
import { SCATTI, SCHEDA, avvia, apriSchede, celle, fixture, kv, schedaAccanto, scriviInStilaro, stilaroPronto, testoDi } from './banco.mjs';

let sito;

before(async () => {
  sito = await avvia();
  await schedaAccanto(sito, fixture('year-card.xlsx'));
  mkdirSync(SCATTI, { recursive: true });
});

after(async () => {
  await sito?.chiudi();
});

// What the engine has selected, by typing over it and reading the saved copy.
async function scriviSullaScelta(page, testo) {
  await page.keyboard.type(testo);
  await page.keyboard.press('Enter');
  await page.waitForFunction(() => /Salvato in questo browser ✓ alle \d\d:\d\d/.test($('stStato').textContent));
  return kv(page, 'copia:' + SCHEDA);
}

test('a wide screen opens the engine on the last week, a phone the table without loading the engine', async () => {
  const page = await apriSchede(sito);
  await stilaroPronto(page);
  assert.equal(await testoDi(page, 'stStato'), 'Si salva da solo');
  assert.equal(await testoDi(page, 'stNome'), 'La mia scheda');
  await page.screenshot({ path: join(SCATTI, 'stilaro-pagina.png') });
  // The last week's title is selected: typing replaces it.
  assert.equal(celle(sito, await scriviSullaScelta(page, 'PRIMA'), ['A618']).A618, 'PRIMA');
  await page.close();

  const prima = sito.richieste.length;
  const telefono = await apriSchede(sito, { viewport: { width: 390, height: 844 } });
  await telefono.waitForFunction(() => typeof sk !== 'undefined' && sk.vista === 'tabella' && schedaCaricata());
  await telefono.waitForTimeout(300);
  assert.equal(await telefono.isVisible('#stPannello'), false);
  assert.deepEqual(sito.richieste.slice(prima).filter((p) => p.includes('/foglio/')), []);
  await telefono.close();
});

test('the view chosen is remembered and wins over the screen width', async () => {
  const page = await apriSchede(sito, { storage: { ts_xl_vista: '"tabella"' } });
  await page.waitForFunction(() => typeof sk !== 'undefined' && schedaCaricata());
  assert.equal(await page.evaluate(() => sk.vista), 'tabella');
  await page.getByRole('button', { name: 'Stilaro', exact: true }).click();
  await stilaroPronto(page);
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('ts_xl_vista'))), 'stilaro');
  await page.close();
});

test('changing page saves and stops the engine; coming back opens it again on the last week', async () => {
  const page = await apriSchede(sito);
  await stilaroPronto(page);
  await scriviInStilaro(page, 'E621', '77');
  await page.evaluate(() => go('home'));
  await page.waitForFunction(() => !stil.avviato);
  // Saved before it stopped: the copy holds the value, the engine's field is gone.
  assert.equal(celle(sito, await kv(page, 'copia:' + SCHEDA), ['E621']).E621, 77);
  assert.equal(await page.evaluate(() => document.querySelectorAll('body > textarea').length), 0);
  await page.evaluate(() => go('schede'));
  await stilaroPronto(page);
  assert.equal(celle(sito, await scriviSullaScelta(page, 'DOPO'), ['A618', 'E621']).A618, 'DOPO');
  await page.close();
});

test('whole-window mode covers the window and "⤡ Riduci" puts it back', async () => {
  const page = await apriSchede(sito);
  await stilaroPronto(page);
  await page.getByRole('button', { name: '⛶ Schermo intero' }).click();
  const box = await page.locator('#stPannello').boundingBox();
  assert.deepEqual([box.x, box.y, box.width, box.height], [0, 0, 1320, 880]);
  assert.equal(await page.evaluate(() => getComputedStyle(document.body).overflow), 'hidden');
  assert.equal(await page.isVisible('#stSettimane'), true);
  await page.screenshot({ path: join(SCATTI, 'stilaro-intero.png') });
  await page.getByRole('button', { name: '⤡ Riduci' }).click();
  const dentro = await page.locator('#stPannello').boundingBox();
  assert.ok(dentro.width < 1320 && dentro.y > 0);
  assert.equal(await page.isVisible('#stSettimane'), false);
  // Escape leaves it, once it no longer ends the typing in a cell.
  await page.getByRole('button', { name: '⛶ Schermo intero' }).click();
  await page.locator('#stFoglio').click({ position: { x: 300, y: 200 } });
  await page.keyboard.type('5');
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => stil.intero), true, 'the first Escape gives up the typing');
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => [stil.intero, document.body.classList.contains('stintero')].join()), 'false,false');
  assert.equal(await page.evaluate(() => stil.motore.foglio_da_salvare()), false, 'nothing was typed into the card');
  // Leaving the page leaves whole-window mode too.
  await page.getByRole('button', { name: '⛶ Schermo intero' }).click();
  await page.evaluate(() => go('home'));
  await page.waitForFunction(() => !stil.avviato);
  assert.equal(await page.evaluate(() => document.body.classList.contains('stintero')), false);
  await page.close();
});
