// The nine pages as a screen reader or a keyboard meets them, checked by axe-core.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine } from '../lib/sito.mjs';
import { violazioniGravi } from '../lib/axe.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

// Colours are judged once the page has faded in.
async function mostra(page, nome) {
  await page.evaluate((n) => go(n), nome);
  await page.evaluate(() => Promise.all(document.getAnimations()
    .filter((a) => a.effect.getComputedTiming().iterations !== Infinity).map((a) => a.finished)));
}

for (const viewport of [{ width: 1320, height: 880 }, { width: 390, height: 844 }]) {
  test(`no serious or critical finding nor a skipped heading level on any of the nine pages at ${viewport.width} px`, async () => {
    const page = await apri(sito, { viewport });
    for (const nome of await page.evaluate(() => PAGINE)) {
      await mostra(page, nome);
      assert.deepEqual(await violazioniGravi(page), [], nome);
    }
  });
}

test('nor at night, with every location marked closed', async () => {
  const page = await apri(sito, { viewport: { width: 390, height: 844 } });
  await page.clock.setFixedTime(new Date('2026-12-09T23:30:00+01:00'));
  await page.evaluate(() => aggiornaOrari());
  for (const nome of ['home', 'orari', 'dove']) {
    await mostra(page, nome);
    assert.ok(await page.locator(`#p-${nome} .stato.no`).count() > 0, `${nome} shows a closed location`);
    assert.deepEqual(await violazioniGravi(page), [], nome);
  }
});

test('nor with the plan details and the menu open, the photo viewer open or the content-management mode on', async () => {
  const page = await apri(sito, { viewport: { width: 390, height: 844 }, storage: { ts_revs: [{ n: 'Anna', t: 'Bella', s: 4, src: 'Google' }] } });
  await mostra(page, 'abbonamenti');
  for (const piega of await page.$$('.piega')) await piega.click();
  await page.click('.burger');
  assert.deepEqual(await violazioniGravi(page), [], 'plans open, menu open');
  await page.click('.burger');
  await page.click('#gearBtn');
  for (const nome of ['home', 'corsi', 'abbonamenti', 'novita', 'dove']) {
    await mostra(page, nome);
    assert.deepEqual(await violazioniGravi(page), [], `${nome} in the content-management mode`);
  }
  await page.click('#gearBtn');
  await mostra(page, 'home');
  await page.click('.cell >> nth=0');
  assert.deepEqual(await violazioniGravi(page), [], 'viewer');
});

test('every page has one visible h1, and the logo button is named by what it shows', async () => {
  const page = await apri(sito);
  for (const nome of await page.evaluate(() => PAGINE)) {
    await page.evaluate((n) => go(n), nome);
    assert.equal(await page.locator('h1:visible').count(), 1, nome);
  }
  const nome = await page.locator('header .brand').evaluate((b) => b.getAttribute('aria-label') ?? b.textContent + ' ' + b.querySelector('img').alt);
  assert.match(nome, /Sorvelo/);
  assert.match(nome, /Palestre Tarvela/);
});
