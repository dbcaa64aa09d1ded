// The notice board and the reviews, with their forms.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, testi, memoria } from '../lib/sito.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

async function pubblica(page, titolo, data, testo = '') {
  await page.fill('#nTitolo', titolo);
  await page.fill('#nData', data);
  await page.fill('#nTesto', testo);
  await page.click('button:text-is("Pubblica")');
}

test('notices sort by date, newest first, ties in publishing order', async () => {
  const page = await apri(sito, { percorso: '#novita' });
  await page.click('#gearBtn');
  await pubblica(page, 'Primo ottobre', '2026-10-01');
  await pubblica(page, 'Novembre A', '2026-11-01', 'riga uno\nriga due');
  await pubblica(page, 'Novembre B', '2026-11-01');
  assert.deepEqual(await testi(page, '#news h2'), ['Novembre A', 'Novembre B', 'Tavra: nuove macchine per il cardio', 'Primo ottobre']);
  assert.deepEqual(await testi(page, '#news .data'), ['1 novembre 2026', '1 novembre 2026', '8 ottobre 2026', '1 ottobre 2026']);
  assert.equal(await page.$eval('#news .avviso p', (p) => p.innerText), 'riga uno\nriga due');
  assert.equal((await memoria(page, 'ts_news')).length, 4, 'the built-in notice is stored with the first change');
  await page.click('#news .avviso:has-text("Novembre B") .del');
  assert.deepEqual((await memoria(page, 'ts_news')).map((n) => n.t), ['Tavra: nuove macchine per il cardio', 'Primo ottobre', 'Novembre A']);
});

test('a notice without a date takes the local date; the title is required', async () => {
  await sito.context.clock.install({ time: new Date('2026-07-15T00:30:00+02:00') });
  const page = await apri(sito, { percorso: '#novita' });
  await page.click('#gearBtn');
  await page.click('button:text-is("Pubblica")');
  assert.deepEqual(page.dialoghi, ['Inserisci il titolo.']);
  await pubblica(page, '  Chiusura  ', '', '  testo  ');
  assert.deepEqual((await memoria(page, 'ts_news')).at(-1), { t: 'Chiusura', x: 'testo', d: '2026-07-15' });
  assert.deepEqual([await page.inputValue('#nTitolo'), await page.inputValue('#nTesto')], ['', '']);
});

test('deleting the built-in notice leaves an empty board', async () => {
  const page = await apri(sito, { percorso: '#novita' });
  await page.click('#gearBtn');
  await page.click('#news .del');
  assert.deepEqual(await memoria(page, 'ts_news'), []);
  assert.equal(await page.textContent('#news .empty'),
    '📣Nessuna novità pubblicataAttiva "Gestisci contenuti" in fondo alla pagina per scrivere il primo avviso.');
});

test('reviews: newest first, stars, initials, required fields and delete', async () => {
  const page = await apri(sito);
  assert.match(await page.textContent('#revs'), /Nessuna recensione inserita/);
  await page.click('#gearBtn');
  await page.fill('#rNome', 'Solo nome');
  await page.click('text=Aggiungi recensione');
  assert.deepEqual(page.dialoghi, ['Inserisci nome e testo della recensione.']);
  await page.fill('#rTesto', 'Bella palestra');
  await page.fill('#rNome', ' marco B.');
  await page.selectOption('#rStelle', '3');
  await page.fill('#rFonte', 'Google · marzo 2026');
  await page.click('text=Aggiungi recensione');
  await page.fill('#rNome', 'Éva');
  await page.fill('#rTesto', 'Ottimi corsi');
  await page.click('text=Aggiungi recensione');
  assert.deepEqual(await memoria(page, 'ts_revs'), [
    { n: 'Éva', t: 'Ottimi corsi', s: 3, src: '' },
    { n: 'marco B.', t: 'Bella palestra', s: 3, src: 'Google · marzo 2026' },
  ]);
  assert.equal(await page.inputValue('#rStelle'), '3', 'the stars stay selected');
  assert.deepEqual(await testi(page, '#revs .stelle'), ['★★★☆☆', '★★★☆☆']);
  assert.deepEqual(await testi(page, '#revs .iniz'), ['É', 'M']);
  assert.deepEqual(await testi(page, '#revs blockquote'), ['“Ottimi corsi”', '“Bella palestra”']);
  assert.equal(await page.getAttribute('#revs', 'class'), 'grid g3');
  await page.click('#revs .rev:has-text("Ottimi") .del');
  assert.deepEqual((await memoria(page, 'ts_revs')).map((r) => r.n), ['marco B.']);
});

test('a review with no name or odd stars still draws', async () => {
  const page = await apri(sito, { storage: { ts_revs: [{ t: 'Anonima', s: 9 }, { n: 'B', t: 'x', s: '2' }] } });
  assert.deepEqual(await testi(page, '#revs .iniz'), ['?', 'B']);
  assert.deepEqual(await testi(page, '#revs .stelle'), ['★★★★★', '★★☆☆☆']);
});
