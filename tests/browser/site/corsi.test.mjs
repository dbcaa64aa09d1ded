// Courses, their day-and-time lines, the week grids, the home cards and the two forms.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, testi, memoria, sporgenze } from '../lib/sito.mjs';

let sito;
before(async () => { sito = await avviaSito(); });
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

const cardsDi = (page, blocco) => page.$$eval(`${blocco} .corso`, (cs) => cs.map((c) =>
  [c.querySelector('h3').textContent, [...c.querySelectorAll('.quando span')].map((s) => s.textContent).join(' / '),
    [...c.querySelectorAll('.tags span')].map((s) => s.textContent).join(',')]));

test('built-in courses with their days and times, by location', async () => {
  const page = await apri(sito, { percorso: '#corsi' });
  assert.deepEqual(await cardsDi(page, '#corsi-Sorvelo'), [
    ['Functional Training', '🗓 Mar, Gio · 18:00 e 19:00', 'Forza'],
    ['Conditioning Training', '🗓 Lun, Mer · 12:00', 'Cardio'],
    ['G.A.G.', '🗓 Lun, Mer · 18:30', 'Tonificazione'],
    ['Circuit Training', '🗓 Lun, Mer · 19:30', 'Circuito'],
  ]);
  assert.deepEqual(await cardsDi(page, '#corsi-Tavra'), [
    ['Fit Strong', '🗓 Lun, Gio · 19:00', 'Tonificazione'],
    ['Fit Dance', '🗓 Lun, Gio · 18:00', 'Cardio'],
    ['Ginnastica adulti', '🗓 Lun, Gio · 9:00', 'Benessere'],
  ]);
  assert.deepEqual(await cardsDi(page, '#corsiHome'), [
    ['Functional Training', '🗓 Mar, Gio · 18:00 e 19:00', 'Sorvelo,Forza'],
    ['Fit Strong', '🗓 Lun, Gio · 19:00', 'Tavra,Tonificazione'],
    ['Conditioning Training', '🗓 Lun, Mer · 12:00', 'Sorvelo,Cardio'],
  ]);
  assert.deepEqual(await testi(page, '#corsi-Tavra thead th'), ['Ora', 'Lunedì', 'Martedì', 'Mercoledì', 'Giovedì', 'Venerdì']);
  assert.deepEqual(await testi(page, '#corsi-Tavra td.ora'), ['9:00', '18:00', '19:00']);
  assert.equal(await page.$eval('#corsi-Tavra .corso', (c) => c.classList.contains('tavra')), true);
  assert.equal(await page.$$eval('#corsiSedi .del, #corsiSedi .x', (d) => d.length), 0, 'no delete buttons outside the mode');
});

test('day-and-time lines group equal times of any days, sorted by minutes', async () => {
  const page = await apri(sito);
  const righe = [
    { s: 'Sorvelo', g: 'Mercoledì', o: '19:00', c: ' yoga ' }, { s: 'Sorvelo', g: 'Lunedì', o: '19:00', c: 'Yoga' },
    { s: 'Sorvelo', g: 'Martedì', o: '20:00', c: 'yoga' }, { s: 'Sorvelo', g: 'Martedì', o: '8.30', c: 'Yoga' },
    { s: 'Tavra', g: 'Venerdì', o: '18:00', c: 'Yoga' },
  ];
  assert.deepEqual(await page.evaluate((r) => [
    quandoCorso({ n: 'Yoga', t: ['Sorvelo'] }, r),
    quandoCorso({ n: 'Yoga', t: ['Casvero'] }, r),
    quandoCorso({ n: 'Yoga', t: ['tavra'] }, r),
    quandoCorso({ n: 'Pilates', t: [] }, r),
  ], righe), [
    ['Lun, Mer · 19:00', 'Mar · 8.30 e 20:00'],
    ['Lun, Mer · 19:00', 'Mar · 8.30 e 20:00', 'Ven · 18:00'],
    ['Ven · 18:00'],
    [],
  ]);
});

test('a lower-case location tag, a Casvero course and rows without a course', async () => {
  const page = await apri(sito, {
    percorso: '#corsi',
    storage: {
      ts_corsi: [{ n: 'Spin', d: '', t: ['sorvelo', 'Cardio'] }, { n: 'Nuoto', d: 'In vasca', t: ['Casvero'] }],
      ts_orari: [{ g: 'Lunedì', o: '19:00', c: 'Spin' }, { s: 'Sorvelo', g: 'Lunedì', o: '19.00', c: 'Orfano' },
        { s: 'Tavra', g: 'Sabato', o: '10:00', c: 'Nuoto' }, { s: 'Sorvelo', g: 'Martedì', o: '7:00', c: 'Nuoto' }],
    },
  });
  assert.deepEqual(await cardsDi(page, '#corsi-Sorvelo'), [['Spin', '🗓 Lun · 19:00', 'Cardio']]);
  assert.deepEqual(await cardsDi(page, '#corsiHome'), [['Spin', '🗓 Lun · 19:00', 'sorvelo,Cardio']], 'only located courses alternate');
  assert.deepEqual((await cardsDi(page, '.sedeblock:not([id])'))[0], ['Nuoto', '🗓 Mar · 7:00 / 🗓 Sab · 10:00', 'Casvero']);
  assert.deepEqual(await page.$$eval('.sedeblock:not([id]) :is(h2, h3)', (h) => h.map((x) => x.textContent)), ['In tutte le sedi', 'Nuoto']);
  assert.deepEqual(await testi(page, '#corsi-Sorvelo td.ora'), ['7:00', '19.00', '19:00']);
  assert.deepEqual(await testi(page, '#corsi-Sorvelo thead th'), ['Ora', 'Lunedì', 'Martedì', 'Mercoledì', 'Giovedì', 'Venerdì']);
  assert.deepEqual(await testi(page, '#corsi-Tavra thead th'), ['Ora', 'Lunedì', 'Martedì', 'Mercoledì', 'Giovedì', 'Venerdì', 'Sabato']);
  assert.equal(await page.$$eval('#corsi-Tavra .corso', (c) => c.length), 0);
  assert.match(await page.textContent('#corsi-Sorvelo tbody'), /Orfano/);
});

test('deleting a built-in course stores the other six and the built-in list is no longer read', async () => {
  const page = await apri(sito, { percorso: '#corsi' });
  await page.click('#gearBtn');
  page.rifiuta = true;
  await page.click('#corsi-Sorvelo .corso:has-text("G.A.G.") .del');
  assert.equal(await page.evaluate(() => localStorage.getItem('ts_corsi')), null, 'a refused confirmation changes nothing');
  page.rifiuta = false;
  await page.click('#corsi-Sorvelo .corso:has-text("G.A.G.") .del');
  assert.deepEqual(page.dialoghi, ['Vuoi eliminare questo elemento?', 'Vuoi eliminare questo elemento?']);
  const salvati = await memoria(page, 'ts_corsi');
  assert.equal(salvati.length, 6);
  assert.equal(salvati.some((c) => c.n === 'G.A.G.'), false);
  await page.reload();
  assert.equal(await page.$$eval('#corsiSedi .corso', (c) => c.length), 6);
  assert.equal(await page.evaluate(() => localStorage.getItem('ts_orari')), null, 'the timetable is a separate list');
  assert.match(await page.textContent('#corsi-Sorvelo tbody'), /G\.A\.G\./, 'its rows stay');
});

test('adding a course and a row, with the required fields', async () => {
  const page = await apri(sito, { percorso: '#corsi' });
  await page.click('#gearBtn');
  await page.click('text=Aggiungi corso');
  await page.fill('#oCorso', 'Spinning');
  await page.click('text=Aggiungi riga al palinsesto');
  assert.deepEqual(page.dialoghi, ['Inserisci il nome del corso.', 'Inserisci orario e nome del corso.']);
  assert.equal(await page.evaluate(() => localStorage.length), 0);
  await page.fill('#cNome', '  Spinning ');
  await page.fill('#cTag', 'Tavra, , Cardio ,');
  await page.fill('#cDesc', 'Bici');
  await page.click('text=Aggiungi corso');
  await page.selectOption('#oSede', 'Tavra');
  await page.selectOption('#oGiorno', 'Sabato');
  await page.fill('#oOra', '10:30');
  await page.click('text=Aggiungi riga al palinsesto');
  assert.deepEqual((await memoria(page, 'ts_corsi')).at(-1), { n: 'Spinning', d: 'Bici', t: ['Tavra', 'Cardio'] });
  assert.equal((await memoria(page, 'ts_corsi')).length, 8);
  assert.deepEqual((await memoria(page, 'ts_orari')).at(-1), { s: 'Tavra', g: 'Sabato', o: '10:30', c: 'Spinning' });
  assert.equal((await memoria(page, 'ts_orari')).length, 17);
  assert.deepEqual([await page.inputValue('#oOra'), await page.inputValue('#oCorso'), await page.inputValue('#oGiorno')], ['', '', 'Sabato']);
  assert.deepEqual((await cardsDi(page, '#corsi-Tavra')).at(-1), ['Spinning', '🗓 Sab · 10:30', 'Cardio']);
  await page.click('#corsi-Tavra td:has-text("Spinning") .x');
  assert.equal((await memoria(page, 'ts_orari')).length, 16);
});

test('empty stored lists show the empty state and an empty home section', async () => {
  const page = await apri(sito, { percorso: '#corsi', storage: { ts_corsi: [], ts_orari: [] } });
  assert.equal(await page.textContent('#corsiSedi .empty'), '🗓Nessun corsoAttiva "Gestisci contenuti" e aggiungi i corsi.');
  assert.equal(await page.innerHTML('#corsiHome'), '');
});

test('on phones each week of courses stacks by day, readable without sideways scrolling', async () => {
  for (const width of [390, 320]) {
    const page = await apri(sito, { percorso: '#corsi', viewport: { width, height: 844 } });
    assert.deepEqual(await sporgenze(page, '#p-corsi'), [], `${width} px`);
    const settimana = (blocco) => page.innerText(blocco).then((t) => t.split(/Settimana dei corsi a \w+/i)[1].replace(/\s+/g, ' ').trim());
    assert.equal(await settimana('#corsi-Tavra'),
      'Lunedì 9:00 Ginnastica adulti 18:00 Fit Dance 19:00 Fit Strong Giovedì 9:00 Ginnastica adulti 18:00 Fit Dance 19:00 Fit Strong');
    assert.match(await settimana('#corsi-Sorvelo'), /^Lunedì 12:00 Conditioning Training .* Giovedì 18:00 Functional Training 19:00 Functional Training$/);
    await page.close();
  }
});

test('on a phone the ✕ of a stacked course row deletes that row', async () => {
  const page = await apri(sito, { percorso: '#corsi', viewport: { width: 390, height: 844 } });
  await page.click('#gearBtn');
  const x = page.locator('#corsi-Tavra .x:visible');
  assert.equal(await x.count(), 6);
  await x.nth(4).click();
  const righe = await memoria(page, 'ts_orari');
  assert.equal(righe.length, 15);
  assert.equal(righe.some((r) => r.s === 'Tavra' && r.g === 'Giovedì' && r.o === '18:00'), false);
});
