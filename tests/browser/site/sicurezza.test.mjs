// Whatever a user types or a store holds reaches the page as text, never as markup.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, testi } from '../lib/sito.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

const ATTACCO = `<img src=x onerror="window.colpito=(window.colpito||0)+1">'"><svg onload="window.colpito=9">`;

const MODULI = [
  ['abbonamenti', ['#pMesi15', '#pSemestrale', '#pTrimestrale', '#pMensile', '#pNota'], 'Salva prezzi'],
  ['dove', ['#ctMail', '#ctSocial'], 'Salva contatti'],
  ['corsi', ['#cNome', '#cTag', '#cDesc'], 'Aggiungi corso'],
  ['corsi', ['#oOra', '#oCorso'], 'Aggiungi riga al palinsesto'],
  ['novita', ['#nTitolo', '#nTesto'], 'Pubblica'],
  ['home', ['#rNome', '#rFonte', '#rTesto'], 'Aggiungi recensione'],
];

test('markup typed into every content form is shown as text and never runs', async () => {
  const page = await apri(sito);
  await page.click('#gearBtn');
  for (const [pagina, campi, bottone] of MODULI) {
    await page.evaluate((p) => go(p), pagina);
    for (const campo of campi) await page.fill(campo, ATTACCO);
    if (pagina === 'novita') await page.fill('#nData', '2026-12-01');
    await page.click(`#p-${pagina} button:text-is("${bottone}")`);
  }
  const controlla = async () => {
    for (const pagina of ['home', 'corsi', 'abbonamenti', 'novita', 'dove']) await page.evaluate((p) => go(p), pagina);
    await page.waitForTimeout(300);
    assert.equal(await page.evaluate(() => window.colpito), undefined);
    assert.equal(await page.$$eval('main img[src="x"], main svg', (e) => e.length), 0);
    assert.deepEqual(await testi(page, '#news h2'), [ATTACCO, 'Tavra: nuove macchine per il cardio']);
    assert.ok((await testi(page, '#revs blockquote'))[0].includes(ATTACCO));
    assert.ok((await page.textContent('#corsiSedi')).includes(ATTACCO));
    assert.ok((await page.textContent('#contattiBox')).includes(ATTACCO));
    assert.ok((await testi(page, '#piani .prezzo'))[0].startsWith(ATTACCO));
  };
  await controlla();
  await page.reload();
  await page.click('#gearBtn');
  await controlla();
  assert.equal(await page.inputValue('#pNota'), ATTACCO, 'forms refill with the text as typed');
  assert.deepEqual(page.errori, []);
});

test('stored photo replacements and seeds cannot inject markup either', async () => {
  const page = await apri(sito, {
    storage: { ts_photos: ['x" onerror="window.colpito=1', 42, null] },
    init: [`window.__TS_SEED__ = { ts_news: ${JSON.stringify(JSON.stringify([{ t: ATTACCO, x: ATTACCO, d: '"><b>' }]))} };`],
  });
  await page.waitForTimeout(300);
  await page.click('.cell >> nth=0');
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => window.colpito), undefined);
  assert.equal(await page.getAttribute('.cell >> nth=0 >> img', 'src'), 'x" onerror="window.colpito=1');
  assert.equal(await page.getAttribute('.cell >> nth=1 >> img', 'src'), 'foto/sorvelo-macchinari.jpg');
  await page.evaluate(() => go('novita'));
  assert.deepEqual(await testi(page, '#news h2'), [ATTACCO]);
  assert.deepEqual(page.errori, []);
});

test('the page runs under its script policy, and a handler that slipped into the markup does not run', async () => {
  const page = await apri(sito, {
    init: [`document.addEventListener('securitypolicyviolation', (e) => { (window.__rifiuti ||= []).push(e.violatedDirective); });`],
  });
  for (const pagina of ['home', 'corsi', 'orari', 'abbonamenti', 'novita', 'schede', 'area', 'dove', 'app']) {
    await page.evaluate((p) => go(p), pagina);
  }
  await page.evaluate(() => go('schede'));
  await page.click('button:has-text("Prova la scheda di esempio")');
  await page.click('#skViste button[data-vista="stilaro"]');
  await page.waitForFunction(() => (stil.avviato && $('stCopri').hidden) || stil.errore, null, { timeout: 20000 });
  assert.equal(await page.evaluate(() => stil.errore), '', 'the engine compiles its module under the policy');
  assert.equal(await page.evaluate(() => window.__rifiuti), undefined, 'nothing of the page itself is refused');
  await page.evaluate(() => {
    document.body.insertAdjacentHTML('beforeend', '<img src="non-c-e.png" onerror="window.colpito=1"><button id="iniettato" onclick="window.colpito=2">x</button>');
  });
  await page.click('#iniettato');
  await page.waitForFunction(() => (window.__rifiuti || []).length >= 2);
  assert.equal(await page.evaluate(() => window.colpito), undefined);
  assert.deepEqual(page.errori, []);
});
