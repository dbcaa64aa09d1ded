// Plans, totals, the fold-out details, the price form and the return from a payment.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, paginaVisibile, testi, memoria } from '../lib/sito.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

const piani = (page) => page.$$eval('#piani .piano', (ps) => ps.map((p) =>
  [p.querySelector('.prezzo').textContent, p.querySelector('.totale')?.textContent ?? '', p.querySelectorAll('a.btn').length]));

test('built-in prices, totals and no purchase buttons', async () => {
  const page = await apri(sito, { percorso: '#abbonamenti' });
  assert.deepEqual(await piani(page), [
    ['21 € al mese', '15 × 21 € = 315 € in tutto', 0],
    ['30 € al mese', '6 × 30 € = 180 € in tutto', 0],
    ['35 € al mese', '3 × 35 € = 105 € in tutto', 0],
    ['40 €', '', 0],
  ]);
  assert.deepEqual(await page.$$eval('#piani .piano', (p) => p.map((x) => x.className)), ['card piano top', 'card piano', 'card piano', 'card piano']);
  assert.equal(await page.textContent('#przNotaTxt'), "Per iscriverti, quota d'iscrizione e promozioni del momento chiedi in reception o al telefono.");
});

test('stored prices with decimal commas, thousands points and no number', async () => {
  const page = await apri(sito, {
    percorso: '#abbonamenti',
    storage: { ts_prezzi: { mesi15: '1.200 €', semestrale: '29,9 €', trimestrale: '45,50 €', mensile: 'gratis', nota: 'Iscrizione 20 €' } },
  });
  assert.deepEqual(await piani(page), [
    ['1.200 € al mese', '15 × 1200 € = 18000 € in tutto', 0],
    ['29,9 € al mese', '6 × 29,9 € = 179,4 € in tutto', 0],
    ['45,50 € al mese', '3 × 45,5 € = 136,5 € in tutto', 0],
    ['gratis', '', 0],
  ]);
  assert.equal(await page.textContent('#przNotaTxt'), 'Iscrizione 20 €');
});

test('amounts as people write them: thousands points, decimal points and commas', async () => {
  const page = await apri(sito);
  assert.deepEqual(await page.evaluate(() => ['1.200 €', '1.200,50 €', '12.000', '29.90 €', '45,5', '€ 40', '2.5 €', 'nessuno'].map(importo)),
    [1200, 1200.5, 12000, 29.9, 45.5, 40, 2.5, 0]);
});

test('a payment link shows the purchase button and changes the details', async () => {
  const page = await apri(sito, { percorso: '#abbonamenti' });
  await page.evaluate(() => { PAGA_ONLINE.mensile = 'https://pagamenti.example/mese'; PAGA_ONLINE.trimestrale = 'http://non-sicuro.example'; renderPrezzi(); });
  assert.deepEqual((await piani(page)).map((p) => p[2]), [0, 0, 0, 1]);
  const bottone = page.locator('#piani .piano >> nth=3 >> a.btn');
  assert.equal(await bottone.textContent(), '💳 Acquista online · 40 €');
  assert.equal(await bottone.getAttribute('href'), 'https://pagamenti.example/mese');
  assert.match(await page.textContent('#piani .piano >> nth=3 >> .dettagli'), /^Cosa comprende.*Come si faAcquistalo online qui sopra/);
  assert.match(await page.textContent('#piani .piano >> nth=2 >> .dettagli'), /Come si faPassa in reception o chiama: Sorvelo \d.* · Tavra \d.*\. C'è anche la prova gratuita\.$/);
});

test('cards fold with a click, Enter or Space and say whether they are open; their links do not fold them', async () => {
  const page = await apri(sito, { percorso: '#abbonamenti' });
  const card = page.locator('#piani .piano').first();
  const piega = card.getByRole('button', { name: /Dettagli/ });
  const aperta = () => card.evaluate((c) => c.classList.contains('aperto'));
  assert.equal(await piega.getAttribute('aria-expanded'), 'false');
  await piega.focus();
  await page.keyboard.press('Enter');
  assert.equal(await aperta(), true);
  assert.equal(await piega.getAttribute('aria-expanded'), 'true');
  assert.equal(await card.locator('.dettagli').isVisible(), true);
  const scorrimento = await page.evaluate(() => window.scrollY);
  await page.keyboard.press(' ');
  assert.equal(await aperta(), false);
  assert.equal(await piega.getAttribute('aria-expanded'), 'false');
  assert.equal(await page.evaluate(() => window.scrollY), scorrimento, 'Space folds and does not scroll');
  await page.keyboard.press(' ');
  assert.equal(await aperta(), true);
  await card.locator('.dettagli a').first().evaluate((a) => a.addEventListener('click', (e) => e.preventDefault()));
  await card.locator('.dettagli a').first().click();
  assert.equal(await aperta(), true);
  await card.locator('h2').click();
  assert.equal(await aperta(), false, 'a click anywhere on the card folds it');
  assert.equal(await piega.getAttribute('aria-expanded'), 'false');
});

test('the price form fills from storage, replaces the object and falls back to built-in prices', async () => {
  const page = await apri(sito, { percorso: '#abbonamenti', storage: { ts_prezzi: { mesi15: '19 €', nota: 'Vecchia' } } });
  await page.click('#gearBtn');
  assert.deepEqual([await page.inputValue('#pMesi15'), await page.inputValue('#pMensile'), await page.inputValue('#pNota')], ['19 €', '', 'Vecchia']);
  await page.fill('#pMesi15', '');
  await page.fill('#pMensile', ' 45 € ');
  await page.click('text=Salva prezzi');
  assert.deepEqual(page.dialoghi, ['Prezzi salvati.']);
  assert.deepEqual(await memoria(page, 'ts_prezzi'), { mesi15: '', semestrale: '', trimestrale: '', mensile: '45 €', nota: 'Vecchia' });
  assert.deepEqual((await piani(page)).map((p) => p[0]), ['21 € al mese', '30 € al mese', '35 € al mese', '45 €']);
});

test('the return from a payment: ok, cancelled, empty', async () => {
  let page = await apri(sito, { percorso: '?pagato=ok' });
  assert.equal(await paginaVisibile(page), 'abbonamenti');
  assert.equal(new URL(page.url()).search, '');
  assert.equal(new URL(page.url()).hash, '#abbonamenti');
  assert.equal(await page.getAttribute('#acquistoEsito', 'class'), 'wkmsg ok');
  assert.equal(await page.textContent('#acquistoEsito b'), '✓ Pagamento ricevuto, grazie!');
  page = await apri(sito, { percorso: '?pagato=annullato#home' });
  assert.equal(await paginaVisibile(page), 'abbonamenti');
  assert.equal(await page.getAttribute('#acquistoEsito', 'class'), 'wkmsg ko');
  assert.equal(await page.textContent('#acquistoEsito'), 'Pagamento annullato: non ti è stato addebitato niente.');
  page = await apri(sito, { percorso: '?pagato=' });
  assert.equal(await paginaVisibile(page), 'home');
  assert.equal(new URL(page.url()).search, '?pagato=');
  assert.equal(await page.isVisible('#acquistoEsito'), false);
});
