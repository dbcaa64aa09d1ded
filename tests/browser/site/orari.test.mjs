// Locations, opening hours (open now, grouped hours, week table, refresh) and the contact box.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, testi, memoria, sporgenze } from '../lib/sito.mjs';

let sito;
before(async () => {
  sito = await avviaSito();
  await sito.context.clock.install({ time: new Date('2026-10-12T10:00:00+02:00') });
});
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

// 12 October 2026 is a Monday.
const stato = (page, sede, giorno, ore, min) => page.evaluate(([s, g, h, m]) =>
  statoSede(SEDI[s], new Date(2026, 9, 11 + g, h, m)).testo, [sede, giorno, ore, min]);

test('open-now texts at the boundaries of the bands', async () => {
  const page = await apri(sito);
  const casi = [
    [0, 1, 22, 59, 'Aperta ora · chiude alle 23:00'],
    [0, 1, 23, 0, 'Chiusa ora · apre domani alle 6:00'],
    [0, 4, 23, 0, 'Chiusa ora · apre domani alle 6:00'],
    [0, 1, 5, 59, 'Chiusa ora · apre oggi alle 6:00'],
    [0, 1, 6, 0, 'Aperta ora · chiude alle 23:00'],
    [0, 5, 23, 30, 'Chiusa ora · apre domani alle 9:00'],
    [0, 6, 13, 0, 'Chiusa ora · apre oggi alle 15:00'],
    [0, 6, 14, 0, 'Chiusa ora · apre oggi alle 15:00'],
    [0, 6, 15, 0, 'Aperta ora · chiude alle 18:00'],
    [0, 6, 19, 0, 'Chiusa ora · apre lunedì alle 6:00'],
    [0, 0, 11, 0, 'Chiusa ora · apre domani alle 6:00'],
    [1, 0, 9, 0, 'Chiusa ora · apre oggi alle 10:00'],
    [1, 1, 21, 30, 'Chiusa ora · apre domani alle 8:30'],
    [1, 6, 16, 0, 'Chiusa ora · apre domani alle 10:00'],
  ];
  for (const [sede, giorno, h, m, atteso] of casi) {
    assert.equal(await stato(page, sede, giorno, h, m), atteso, `sede ${sede} giorno ${giorno} ${h}:${m}`);
  }
});

test('a location without any band is simply closed; bands with dots read as times', async () => {
  const page = await apri(sito);
  assert.deepEqual(await page.evaluate(() => {
    const vuota = { ...SEDI[0], apertura: ['', '', '', '', '', '', ''] };
    const punti = { ...SEDI[0], apertura: ['', '7.30-12.00 14.00-20.15', '', '', '', '', ''] };
    return [statoSede(vuota).testo, orarioGiorno(punti, 1), minuti('ore 19.05'), minuti('nessuna')];
  }), ['Chiusa', '7:30 — 12:00 · 14:00 — 20:15', 1145, 9999]);
});

test('Dove siamo: grouped hours, addresses, telephones, maps and the Casvero card', async () => {
  const page = await apri(sito, { percorso: '#dove' });
  const righe = await page.$$eval('#sediDove .sede', (sedi) => sedi.map((s) =>
    [...s.querySelectorAll('table.mini tr')].map((r) => [...r.cells].map((c) => c.textContent + (c.className ? ' [' + c.className + ']' : '')).join(' | '))));
  assert.deepEqual(righe, [
    ['Lunedì — Venerdì | 6:00 — 23:00', 'Sabato | 9:00 — 13:00 · 15:00 — 18:00', 'Domenica | Chiuso · aperti ad Tavra [chiuso]'],
    ['Lunedì — Venerdì | 8:30 — 21:30', 'Sabato | 9:30 — 16:00', 'Domenica | 10:00 — 13:00'],
  ]);
  assert.deepEqual(await page.$$eval('#sediDove iframe', (f) => f.map((x) => [x.title, x.loading, new URL(x.src).searchParams.get('output')])),
    [['Mappa Sorvelo', 'lazy', 'embed'], ['Mappa Tavra', 'lazy', 'embed']]);
  const indicazioni = await page.$$eval('#sediDove a[target="_blank"]', (a) => a.map((x) => [x.textContent, x.rel, new URL(x.href).searchParams.get('api')]));
  assert.deepEqual(indicazioni, [['Indicazioni ↗', 'noopener', '1'], ['Indicazioni ↗', 'noopener', '1']]);
  const tel = await page.$$eval('#sediDove .sede', (s) => s.map((x) => [...x.querySelectorAll('a[href^="tel:"]')].map((a) => a.textContent)));
  assert.equal(tel[0].length, 3, 'two numbers and the call button');
  assert.equal(tel[1].at(-1), 'Chiama');
  assert.match(await page.innerText('.casvero'), /^Casvero[\s\S]*chiama lo \d/i);
});

test('today cards and the week table follow the clock, Sunday last', async () => {
  await sito.context.clock.pauseAt(new Date('2026-10-18T11:00:00+02:00'));
  const page = await apri(sito, { percorso: '#orari' });
  assert.deepEqual(await testi(page, '#tabOrari tr td:first-child'),
    ['Lunedì', 'Martedì', 'Mercoledì', 'Giovedì', 'Venerdì', 'Sabato', 'Domenica oggi']);
  assert.equal(await page.$eval('#tabOrari tbody tr:last-child', (r) => r.className), 'oggiRiga');
  assert.deepEqual(await testi(page, '#oggiOrari .stato'), ['Chiusa ora · apre domani alle 6:00', 'Aperta ora · chiude alle 13:00']);
  assert.deepEqual(await testi(page, '#oggiHome .info-row:nth-of-type(1) .v, #oggiHome .info-row .v b'),
    ['Chiuso · aperti ad Tavra', '10:00 — 13:00']);
  assert.equal(await page.$eval('#tabOrari tbody tr:last-child td:nth-child(2)', (c) => c.className), 'chiuso');
});

test('on phones the week hours stack by day, every band readable without sideways scrolling', async () => {
  await sito.context.clock.pauseAt(new Date('2026-10-17T11:00:00+02:00'));
  for (const width of [390, 320]) {
    const page = await apri(sito, { percorso: '#orari', viewport: { width, height: 844 } });
    assert.deepEqual(await sporgenze(page, '#p-orari'), [], `${width} px`);
    const giorni = (await page.innerText('#tabOrari')).split(/\n(?=Lunedì|Martedì|Mercoledì|Giovedì|Venerdì|Sabato|Domenica)/);
    assert.equal(giorni.length, 7);
    assert.match(giorni[5], /^Sabato\s+oggi\s+Sorvelo\s+9:00 — 13:00 · 15:00 — 18:00\s+Tavra\s+9:30 — 16:00$/i);
    assert.match(giorni[6], /^Domenica\s+Sorvelo\s+Chiuso · aperti ad Tavra\s+Tavra\s+10:00 — 13:00$/);
    await page.close();
  }
  await sito.context.clock.resume();
});

test('a page left open over midnight moves today within a minute, pills included', async () => {
  await sito.context.clock.pauseAt(new Date('2026-10-16T23:59:30+02:00'));
  const page = await apri(sito, { percorso: '#dove' });
  assert.deepEqual(await testi(page, '#tabOrari .oggiRiga td:first-child'), ['Venerdì oggi']);
  const mappa = await page.$('#sediDove iframe');
  await sito.context.clock.runFor(60000);
  assert.deepEqual(await testi(page, '#tabOrari .oggiRiga td:first-child'), ['Sabato oggi']);
  assert.deepEqual(await testi(page, '#sediDove .stato'), ['Chiusa ora · apre oggi alle 9:00', 'Chiusa ora · apre oggi alle 9:30']);
  assert.equal(await mappa.evaluate((f) => f.isConnected), true, 'the maps are not redrawn');
  assert.match(await page.textContent('#oggiHome .info-row'), /9:00 — 13:00 · 15:00 — 18:00/);
  await sito.context.clock.resume();
});

test('the contact box shows only filled rows; saving keeps the telephone', async () => {
  const page = await apri(sito, { percorso: '#dove', storage: { ts_contatti: { social: 'https://instagram.com/tarvela' } } });
  assert.deepEqual(await testi(page, '#contattiBox .k'), ['Link']);
  assert.equal(await page.textContent('#contattiBox a'), 'https://instagram.com/tarvela ↗');
  await page.evaluate(() => localStorage.setItem('ts_contatti', JSON.stringify({ tel: '031 11 22 33', mail: 'a@b.it', social: '' })));
  await page.click('#gearBtn');
  assert.equal(await page.inputValue('#ctMail'), 'a@b.it');
  await page.fill('#ctMail', '   ');
  await page.fill('#ctSocial', ' instagram.com/tarvela ');
  await page.click('text=Salva contatti');
  assert.deepEqual(page.dialoghi, ['Contatti salvati.']);
  assert.deepEqual(await memoria(page, 'ts_contatti'), { tel: '031 11 22 33', mail: '', social: 'instagram.com/tarvela' });
  assert.deepEqual(await testi(page, '#contattiBox .k'), ['Telefono', 'Link']);
  assert.equal(await page.getAttribute('#contattiBox a[href^="tel:"]', 'href'), 'tel:031112233');
  assert.equal(await page.getAttribute('#contattiBox a[target]', 'href'), 'https://instagram.com/tarvela');
});

test('a typed script link never becomes a script link', async () => {
  const page = await apri(sito, { percorso: '#dove', storage: { ts_contatti: { social: 'javascript:alert(1)' } } });
  assert.equal(await page.getAttribute('#contattiBox a[target]', 'href'), 'https://javascript:alert(1)');
});

test('a failed save of the contacts confirms nothing and keeps the box', async () => {
  const page = await apri(sito, { percorso: '#dove', storage: { ts_contatti: { mail: 'prima@b.it' } } });
  await page.click('#gearBtn');
  await page.evaluate(() => { Storage.prototype.setItem = () => { throw new DOMException('pieno', 'QuotaExceededError'); }; });
  await page.fill('#ctMail', 'dopo@b.it');
  await page.click('text=Salva contatti');
  assert.deepEqual(page.dialoghi, ['Spazio esaurito nel browser. Elimina qualche foto per liberare spazio.']);
  assert.equal(await page.textContent('#contattiBox a'), 'prima@b.it');
});
