// The frame of the site: page switching, storage helpers, seeding, modes, companion files.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, paginaVisibile, testi, memoria } from '../lib/sito.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

test('the old fragment contatti opens Dove siamo and becomes dove', async () => {
  const page = await apri(sito, { percorso: '#contatti' });
  assert.equal(await paginaVisibile(page), 'dove');
  assert.equal(new URL(page.url()).hash, '#dove');
  assert.deepEqual(await testi(page, '#menu button.on'), ['Dove siamo']);
});

test('an unknown fragment leaves Home and the address alone; go with it shows Home', async () => {
  const page = await apri(sito, { percorso: '#xyz' });
  assert.equal(await paginaVisibile(page), 'home');
  assert.equal(new URL(page.url()).hash, '#xyz');
  await page.evaluate(() => go('abbonamenti'));
  await page.evaluate(() => go('xyz'));
  assert.equal(await paginaVisibile(page), 'home');
  assert.equal(new URL(page.url()).hash, '#home');
});

test('opening on the card draws only the footer; every other page is drawn at its first visit as if opened on it', async () => {
  const DISEGNATE = { home: 'gallerie', corsi: 'corsiSedi', orari: 'tabOrari', abbonamenti: 'piani', novita: 'news', dove: 'sediDove' };
  const disegno = (page, nome) => page.$eval('#p-' + nome, (el) => el.innerHTML);
  const diretto = {};
  for (const nome of Object.keys(DISEGNATE)) diretto[nome] = await disegno(await apri(sito, { percorso: '#' + nome }), nome);
  const page = await apri(sito, { percorso: '#schede' });
  const vuoti = await page.evaluate((ids) => ids.filter((id) => $(id).innerHTML === ''), Object.values(DISEGNATE));
  assert.deepEqual(vuoti, Object.values(DISEGNATE));
  assert.equal((await testi(page, '#piedeSedi li')).length, 3);
  for (const nome of Object.keys(DISEGNATE)) {
    await page.evaluate((n) => go(n), nome);
    assert.equal(await disegno(page, nome), diretto[nome], nome);
  }
});

test('menu, logo and footer links switch page and scroll to the top', async () => {
  const page = await apri(sito);
  await page.evaluate(() => window.scrollTo(0, 1500));
  await page.click('#menu button[data-p="novita"]');
  assert.equal(await paginaVisibile(page), 'novita');
  assert.equal(await page.evaluate(() => window.scrollY), 0);
  assert.deepEqual(await testi(page, '#menu button.on'), ['Novità']);
  await page.click('footer button:has-text("Abbonamenti")');
  assert.equal(await paginaVisibile(page), 'abbonamenti');
  await page.click('header .brand');
  assert.equal(await paginaVisibile(page), 'home');
  assert.equal(await page.locator('.page.on').count(), 1);
});

test('Back and Forward show the page that the address names', async () => {
  const page = await apri(sito);
  const voci = () => page.evaluate(() => history.length);
  // The page follows the address on its own event: give it the chance before looking.
  const mostrata = async (attesa) => {
    await page.waitForFunction((n) => $('p-' + n).classList.contains('on'), attesa, { timeout: 5000 }).catch(() => {});
    return paginaVisibile(page);
  };
  const prima = await voci();
  await page.evaluate(() => go('corsi'));
  await page.evaluate(() => go('orari'));
  await page.evaluate(() => go('orari'));
  assert.equal(await voci(), prima + 2, 'the page already shown adds no entry');
  await page.goBack();
  assert.equal(new URL(page.url()).hash, '#corsi');
  assert.equal(await mostrata('corsi'), 'corsi');
  assert.deepEqual(await testi(page, '#menu button.on'), ['Corsi']);
  await page.goBack();
  assert.equal(await mostrata('home'), 'home', 'the first entry has no fragment');
  await page.goForward();
  await page.goForward();
  assert.equal(await mostrata('orari'), 'orari');
  assert.equal(await voci(), prima + 2);
  await page.evaluate(() => { location.hash = 'contatti'; });
  assert.equal(await mostrata('dove'), 'dove');
  assert.equal(new URL(page.url()).hash, '#dove');
  assert.equal(await voci(), prima + 3, 'a typed fragment is one entry, its correction none');
  await page.goBack();
  assert.equal(await mostrata('orari'), 'orari');
});

test('below 1100 px the menu is a drop-down that closes on a page change', async () => {
  const page = await apri(sito, { viewport: { width: 390, height: 844 } });
  assert.equal(await page.isVisible('#menu button[data-p="corsi"]'), false);
  await page.click('.burger');
  assert.equal(await page.isVisible('#menu button[data-p="corsi"]'), true);
  await page.click('#menu button[data-p="corsi"]');
  assert.equal(await paginaVisibile(page), 'corsi');
  assert.equal(await page.evaluate(() => $('menu').classList.contains('open')), false);
  assert.equal(await page.isVisible('#menu button[data-p="corsi"]'), false);
});

test('the drop-down menu says whether it is open and closes with Escape', async () => {
  const page = await apri(sito, { viewport: { width: 390, height: 844 } });
  const aperto = () => page.getAttribute('.burger', 'aria-expanded');
  assert.equal(await aperto(), 'false');
  await page.focus('.burger');
  await page.keyboard.press('Enter');
  assert.equal(await aperto(), 'true');
  assert.equal(await page.isVisible('#menu button[data-p="orari"]'), true);
  await page.keyboard.press('Tab');
  await page.keyboard.press('Escape');
  assert.equal(await page.isVisible('#menu button[data-p="orari"]'), false);
  assert.equal(await aperto(), 'false');
  assert.equal(await page.evaluate(() => document.activeElement.classList.contains('burger')), true, 'the focus goes back to ☰');
  await page.click('.burger');
  await page.click('#menu button[data-p="orari"]');
  assert.equal(await aperto(), 'false', 'a page change closes it');
});

test('at 320 px no page scrolls sideways', async () => {
  const page = await apri(sito, { viewport: { width: 320, height: 640 } });
  for (const nome of await page.evaluate(() => PAGINE)) {
    await page.evaluate((n) => go(n), nome);
    assert.equal(await page.evaluate(() => document.documentElement.scrollWidth), 320, nome);
  }
});

test('seeding fills absent keys only and shows them at the first drawing', async () => {
  const mia = [{ n: 'Anna', t: 'Già salvata', s: 5, src: '' }];
  const seme = {
    ts_revs: JSON.stringify([{ n: 'Seme', t: 'Dal seme', s: 4, src: '' }]),
    ts_news: JSON.stringify([{ t: 'Avviso del seme', x: '', d: '2026-11-02' }]),
  };
  const page = await apri(sito, { storage: { ts_revs: mia }, init: [`window.__TS_SEED__ = ${JSON.stringify(seme)};`] });
  assert.deepEqual(await memoria(page, 'ts_revs'), mia);
  assert.deepEqual(await testi(page, '#revs blockquote'), ['“Già salvata”']);
  await page.evaluate(() => go('novita'));
  assert.deepEqual(await testi(page, '#news h2'), ['Avviso del seme']);
});

test('load falls back on absent, null and broken values', async () => {
  const page = await apri(sito, { storage: { ts_news: 'null', ts_revs: '{rotto' } });
  await page.evaluate(() => go('novita'));
  assert.deepEqual(await testi(page, '#news h2'), ['Tavra: nuove macchine per il cardio']);
  assert.deepEqual(await page.evaluate(() => [load('ts_revs', 'f'), load('ts_news', 'f'), load('ts_assente', 7)]), ['f', 'f', 7]);
  assert.match(await page.innerText('#revs'), /Nessuna recensione inserita/);
});

test('save on a full storage alerts and reports false; nothing half-written shows', async () => {
  const page = await apri(sito);
  await page.evaluate(() => {
    const blocco = 'x'.repeat(512 * 1024);
    try { for (let i = 0; i < 100; i++) localStorage.setItem('riempi' + i, blocco); } catch { /* full */ }
  });
  assert.equal(await page.evaluate(() => save('ts_revs', [{ n: 'A', t: 'x'.repeat(600000) }])), false);
  assert.deepEqual(page.dialoghi, ['Spazio esaurito nel browser. Elimina qualche foto per liberare spazio.']);
  assert.equal(await page.evaluate(() => localStorage.getItem('ts_revs')), null);
});

test('esc replaces the five markup characters and empties null', async () => {
  const page = await apri(sito);
  assert.deepEqual(await page.evaluate(() => [esc(`<a href="x">'&'</a>`), esc(null), esc(undefined), esc(0)]),
    ['&lt;a href=&quot;x&quot;&gt;&#39;&amp;&#39;&lt;/a&gt;', '', '', '0']);
});

test('the content-management mode toggles with the gear and never survives a reload', async () => {
  const page = await apri(sito);
  assert.equal(await page.isVisible('.formcard.adminonly >> nth=0'), false);
  await page.click('#gearBtn');
  assert.equal(await page.innerText('#gearBtn'), '⚙ Esci dalla gestione');
  assert.equal(await page.evaluate(() => isAdmin()), true);
  await page.reload();
  assert.equal(await page.evaluate(() => isAdmin()), false);
  assert.equal(await page.innerText('#gearBtn'), '⚙ Gestisci contenuti');
});

test('the marquee carries its list twice, one word group per span', async () => {
  const page = await apri(sito);
  const voci = await testi(page, '#marquee span');
  assert.equal(voci.length, 24);
  assert.deepEqual(voci.slice(0, 12), voci.slice(12));
  assert.equal(voci[0], 'Sala pesi completa');
});

test('a single-file copy takes its images from the embedded files', async () => {
  const png = 'data:image/png;base64,iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mP8z8BQDwAEhQGAhKmMIQAAAABJRU5ErkJggg==';
  const file = { 'logo.png': png, 'foto/tavra-sala.jpg': png };
  const page = await apri(sito, { init: [`window.__TS_FILES__ = ${JSON.stringify(file)};`] });
  assert.deepEqual(await page.$$eval('img[alt="Palestre Tarvela"]', (els) => els.map((e) => e.src.slice(0, 22))),
    ['data:image/png;base64,', 'data:image/png;base64,', 'data:image/png;base64,']);
  assert.equal(await page.getAttribute('.cell:has(img[alt^="La sala di Tavra"]) img', 'src'), png);
  await page.click('.cell:has(img[alt^="La sala di Tavra"])');
  assert.equal(await page.getAttribute('#lbImg', 'src'), png, 'no large versions in a single-file copy');
});

test('the manifest and the not-found page', async () => {
  const page = await apri(sito);
  const m = await page.evaluate(() => fetch('manifest.json').then((r) => r.json()));
  assert.equal(m.name, 'Tarvela Sorvelo');
  assert.equal(m.start_url, './');
  assert.deepEqual(m.icons.map((i) => `${i.src} ${i.sizes} ${i.purpose}`), ['icon-192.png 192x192 any', 'icon-512.png 512x512 any', 'icon-512.png 512x512 maskable']);
  assert.deepEqual(m.shortcuts.map((s) => s.url), ['./#schede', './#corsi', './#novita']);
  await page.goto(sito.base + '404.html');
  assert.equal(await page.title(), 'Pagina non trovata · Tarvela Sorvelo');
  await page.goto(sito.base + '#schede');
  assert.equal(await paginaVisibile(page), 'schede', 'a shortcut opens its page');
});

test('the not-found page leads home from a nested missing address', async () => {
  const page = await apri(sito);
  const pagina = await page.evaluate(() => fetch('404.html').then((r) => r.text()));
  await page.route('**/corsi/vecchi/mancante', (route) => route.fulfill({ status: 404, contentType: 'text/html', body: pagina }));
  await page.goto(sito.base + 'corsi/vecchi/mancante');
  await page.click('text=Torna a Tarvela Sorvelo');
  await page.waitForLoadState('domcontentloaded');
  assert.equal(new URL(page.url()).pathname, '/');
  assert.equal(await paginaVisibile(page), 'home');
});

test('the logo is a small file sized for the largest place it shows in', async () => {
  const page = await apri(sito);
  await page.waitForFunction(() => [...document.querySelectorAll('img[src="logo.png"]')].every((i) => i.complete && i.naturalHeight));
  const { byte, alta, mostrata } = await page.evaluate(async () => ({
    byte: (await (await fetch('logo.png')).arrayBuffer()).byteLength,
    alta: document.querySelector('.herologo').naturalHeight,
    mostrata: Math.max(...[...document.querySelectorAll('img[src="logo.png"]')].map((i) => i.getBoundingClientRect().height)),
  }));
  assert.equal(Math.round(mostrata), 96, `${mostrata} px`);
  // The shown height may come out a fraction of a pixel under 96 while fonts settle.
  assert.ok(alta >= 1.5 * mostrata && alta <= 2 * Math.round(mostrata), `sharp on a 2x screen without wasted pixels: ${alta} px high for ${mostrata}`);
  assert.ok(byte < 40000, `${byte} bytes`);
});
