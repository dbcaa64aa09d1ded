// The Schede page on the browser copy: empty states, the table of a week, typing, display of values.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { chiudiPagine, testi } from '../lib/sito.mjs';
import { avviaSchede, apriSchede, caricata, fixture, leggiKv, testo } from './harness.mjs';

let sito;
before(async () => { sito = await avviaSchede(); });
afterEach(async () => { await chiudiPagine(sito); sito.beside.clear(); });
after(() => sito.chiudi());

test('a first visit offers one next step and the sample card, which is then a card like any other', async () => {
  const page = await apriSchede(sito);
  assert.equal(await page.isVisible('#skBox'), false, 'no card box naming a card that is not there');
  assert.equal(await testo(page, '.skvuoto b'), 'Nessuna scheda su questo dispositivo');
  assert.deepEqual(await testi(page, '.skvuoto button'), ['＋ Aggiungi scheda', '📎 Collega il file', '👀 Prova la scheda di esempio']);
  assert.equal(await page.locator('#p-schede .btn-p:visible').count(), 1);
  assert.equal(await page.isVisible('#skSettBar'), false);
  assert.equal(await page.isVisible('#xlStrumenti'), false);

  await page.click('.skvuoto button:has-text("esempio")');
  await page.waitForFunction(() => nomeScheda() === 'Scheda di esempio.xlsx' && sk.bytes);
  await caricata(page);
  assert.match(await testo(page, '#skMsg'), /^👀 Questa è la scheda di esempio/);
  assert.equal(await testo(page, '#skNome'), 'Scheda di esempio.xlsx');
  assert.match(await testo(page, '.xltitolo'), /^1° SETTIMANA/);
  assert.equal(await page.evaluate(() => sk.rifatte.size), 0, 'the sample has the new look already');
  await page.locator('td.xin').first().click();
  await page.keyboard.type('40');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  await page.reload();
  await caricata(page);
  assert.equal(await testo(page, 'td.xin'), '40');
  await page.click('#skBottoni button:has-text("Togli scheda")');
  await page.waitForFunction(() => !sk.bytes && $('skBox').hidden);
  assert.equal(await testo(page, '.skvuoto b'), 'Nessuna scheda su questo dispositivo');
  assert.deepEqual(page.errori, []);
});

test('a card beside the page shows restyled, its last week, heading chips; nothing stored until typed', async () => {
  const anno = fixture('year-card.xlsx');
  sito.beside.set('La mia scheda.xlsx', anno);
  const page = await apriSchede(sito);
  assert.match(await testo(page, '#skStato'), /^Lavori su una copia in questo browser/);
  assert.match(await testo(page, '.xltitolo'), /^52° SETTIMANA/);
  assert.equal(await page.$eval('#xlStrumenti select', (s) => s.options.length), 52);
  const chips = await testi(page, '.skchip');
  assert.ok(chips.includes('ATLETAMatteo Barbieri'), chips.join('|'));
  assert.ok(chips.some((c) => /^PERIODODal \d+ \w+ al \d+ \w+$/.test(c)), chips.join('|'));
  assert.equal(await page.evaluate(() => sk.rifatte.size), 1, 'the restyled copy lives in memory');
  for (const k of ['copia:La mia scheda.xlsx', 'base:La mia scheda.xlsx', 'mod:La mia scheda.xlsx']) assert.equal(await leggiKv(page, k), undefined, k);

  const vuota = page.locator('td.xin:empty').first();
  const rif = await vuota.getAttribute('data-r');
  const colonna = await vuota.getAttribute('data-c');
  await vuota.click();
  await page.keyboard.type('80');
  await page.keyboard.press('Enter');
  const sotto = await page.evaluate(() => document.activeElement.dataset);
  assert.equal(sotto.c, colonna, 'Enter goes down the same column');
  assert.ok(Number(sotto.r.replace(/\D/g, '')) > Number(rif.replace(/\D/g, '')));
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  assert.deepEqual(await leggiKv(page, 'mod:La mia scheda.xlsx'), { [rif]: '80' });
  const crc = await page.evaluate((b64) => crc32(Uint8Array.from(atob(b64), (c) => c.charCodeAt(0))), anno.toString('base64'));
  assert.equal(await leggiKv(page, 'base:La mia scheda.xlsx'), crc, 'the origin is the file as it came');
  assert.match(await testo(page, '#skStato'), /· 1 modifica salvata qui$/);

  await page.reload();
  await caricata(page);
  assert.equal(await testo(page, `[data-r="${rif}"]`), '80');
});

test('a pause while typing records, Escape puts the old text back, Alt+Enter breaks the line', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const box = page.locator('td.xin:empty').first();
  const rif = await box.getAttribute('data-r');
  await box.click();
  await page.keyboard.type('7');
  await page.waitForFunction((r) => sk.mod[r] === '7', rif, { timeout: 3000 });
  await page.keyboard.type('5');
  await page.keyboard.press('Escape');
  await page.waitForFunction((r) => sk.mod[r] === '', rif);
  assert.equal(await testo(page, `[data-r="${rif}"]`), '');
  await box.click();
  await page.keyboard.type('60');
  await page.keyboard.press('Alt+Enter');
  await page.keyboard.type('piano');
  await page.keyboard.press('Tab');
  await page.waitForFunction((r) => sk.mod[r] === '60\npiano', rif);
});

test('typing replaces a load as in a spreadsheet; names and headings are neither typed into nor in the Tab order', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('two-workouts.xlsx'));
  const page = await apriSchede(sito);
  const scritto = (r) => page.evaluate((x) => sk.mod[x], r);
  const carichi = page.locator('td.xin');
  const primo = await carichi.nth(0).getAttribute('data-r');
  const secondo = await carichi.nth(1).getAttribute('data-r');
  await carichi.nth(0).click();
  await page.keyboard.type('61');
  await page.keyboard.press('Tab');
  await page.waitForFunction((r) => sk.mod[r] === '61', primo);
  assert.equal(await page.evaluate(() => document.activeElement.dataset.r), secondo, 'Tab goes from load to load');

  await page.click(`[data-r="${primo}"]`);
  await page.keyboard.type('70');
  await page.keyboard.press('Tab');
  await page.waitForFunction((r) => sk.mod[r] !== '61', primo);
  assert.equal(await scritto(primo), '70', 'a click selects the whole value');
  await page.keyboard.press('Shift+Tab');
  await page.keyboard.type('80');
  await page.keyboard.press('Enter');
  await page.waitForFunction((r) => sk.mod[r] !== '70', primo);
  assert.equal(await scritto(primo), '80', 'so does Tab');
  const sotto = await page.evaluate(() => document.activeElement.dataset.r);
  await page.keyboard.type('9');
  await page.keyboard.press('Escape');

  await page.click(`[data-r="${primo}"]`);
  await page.keyboard.press('F2');
  await page.keyboard.type('5');
  await page.keyboard.press('Tab');
  await page.waitForFunction((r) => sk.mod[r] !== '80', primo);
  assert.equal(await scritto(primo), '805', 'F2 places the caret at the end');
  await page.click(`[data-r="${primo}"]`);
  // Far enough apart not to be a double click, which would select the word.
  await page.waitForTimeout(700);
  await page.click(`[data-r="${primo}"]`);
  await page.keyboard.type('1');
  await page.keyboard.press('Tab');
  await page.waitForFunction((r) => sk.mod[r] !== '805', primo);
  assert.equal((await scritto(primo)).length, 4, 'a second click places the caret');
  assert.equal(await scritto(sotto), undefined, 'Escape kept the box below as it was');

  // Walking the whole table with Tab meets only loads.
  await page.click(`[data-r="${primo}"]`);
  const visti = new Set();
  for (let i = 0; i < 40; i++) {
    visti.add(await page.evaluate(() => document.activeElement.className));
    await page.keyboard.press('Tab');
    if (!(await page.evaluate(() => $('xlTabella').contains(document.activeElement)))) break;
  }
  assert.deepEqual([...visti].map((c) => c.split(' ')[0]).filter((c) => c !== 'xin'), []);
  assert.deepEqual(await page.$$eval('#xlTabella table [contenteditable]', (els) => els.filter((e) => !e.classList.contains('xin')).map((e) => e.className)), []);
  const nome = page.locator('td.xnome').first();
  const prima = await nome.textContent();
  await nome.click();
  await page.keyboard.type('X');
  await page.keyboard.press('Tab');
  assert.equal(await nome.textContent(), prima);
  assert.equal(await page.evaluate((r) => sk.mod[r], await nome.getAttribute('data-r')), undefined);
});

test('two workouts: tabs, Tutti side by side without the fixed column, remembered choice', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('two-workouts.xlsx'));
  const page = await apriSchede(sito);
  assert.deepEqual(await testi(page, '.xltab'), ['1° allenamento', '2° allenamento', 'Tutti']);
  assert.ok(await page.locator('td.xfisso').count() > 0);
  assert.equal(await page.locator('td.xsep').count(), 0);
  await page.click('.xltab:has-text("Tutti")');
  assert.equal(await page.locator('td.xfisso').count(), 0);
  assert.ok(await page.locator('td.xsep').count() > 0, 'a separator before the second workout');
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('ts_xl_all'))), 'tutti');
  const bande = await testi(page, 'td.xall');
  assert.equal(bande.length, 2);
  await page.click('.xltab:has-text("2° allenamento")');
  assert.deepEqual(await testi(page, 'td.xall'), [bande[1]]);
  await page.reload();
  await caricata(page);
  assert.deepEqual(await testi(page, '.xltab.on'), ['2° allenamento']);
});

test('on a phone the table comes first: a load box on the first screen, names at most 40 %, more columns shown to scroll to', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('year-card.xlsx'));
  const page = await apriSchede(sito, { viewport: { width: 390, height: 844 } });
  const misure = await page.evaluate(() => {
    const r = (el) => el.getBoundingClientRect();
    const scorre = document.querySelector('.xlscorre');
    const vista = scorre.parentElement;
    return {
      scrollY,
      carico: r(document.querySelector('td.xin')).toJSON(),
      fisso: r(document.querySelector('td.xfisso')).width,
      cornice: scorre.clientWidth,
      nascoste: scorre.scrollWidth > scorre.clientWidth,
      sfumature: ['sx', 'dx'].map((c) => vista.classList.contains(c)),
      sotto: ['#skChips', '#skSettBar'].map((s) => r($(s.slice(1))).top > r(scorre).bottom),
    };
  });
  assert.equal(misure.scrollY, 0);
  const { top, bottom, left, right } = misure.carico;
  assert.ok(top >= 0 && bottom <= 844 && left >= 0 && right <= 390, JSON.stringify(misure.carico));
  assert.ok(misure.fisso <= 0.4 * misure.cornice, `${misure.fisso} of ${misure.cornice}`);
  assert.ok(misure.nascoste);
  assert.deepEqual(misure.sfumature, [true, true], 'both edges say more columns wait there');
  await page.waitForFunction(() => ['::before', '::after'].every((p) => getComputedStyle(document.querySelector('.xlvista'), p).opacity === '1'));
  assert.deepEqual(misure.sotto, [true, true], 'chips and week bar moved below the table');
  // Scrolled to the right end, only the left edge still hides columns.
  await page.$eval('.xlscorre', (e) => { e.scrollLeft = e.scrollWidth; });
  await page.waitForFunction(() => !document.querySelector('.xlvista').classList.contains('dx'));
  assert.equal(await page.$eval('.xlvista', (e) => e.classList.contains('sx')), true);
  await page.setViewportSize({ width: 1320, height: 880 });
  await page.waitForFunction(() => $('skChips').getBoundingClientRect().bottom < document.querySelector('.xlscorre').getBoundingClientRect().top);
});

test('week chooser: arrows within bounds, short titles at 500 px', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('year-card.xlsx'));
  const page = await apriSchede(sito, { viewport: { width: 500, height: 800 } });
  const opzioni = await page.$$eval('#xlStrumenti option', (o) => o.map((x) => x.textContent));
  assert.ok(opzioni.every((t) => /^\d+° SETT\. \d+ [A-Z]{3}-\d+ [A-Z]{3}$/.test(t)), opzioni.slice(0, 3).join('|'));
  assert.match(await testo(page, '.xltitolo'), /SETTIMANA/, 'the band keeps the full title');
  assert.equal(await page.isDisabled('.xlfreccia[title="Settimana dopo"]'), true);
  await page.click('.xlfreccia[title="Settimana prima"]');
  assert.match(await testo(page, '.xltitolo'), /^51° SETTIMANA/);
  await page.click('.xlfreccia[title="Settimana dopo"]');
  assert.match(await testo(page, '.xltitolo'), /^52° SETTIMANA/);
});

test('a pasted text longer than a cell holds is cut at 32,767 characters, never inside one', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const box = page.locator('td.xin').first();
  const rif = await box.getAttribute('data-r');
  await box.click();
  await page.keyboard.insertText('a'.repeat(32766) + '💪💪' + 'b'.repeat(5000));
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => $('skSalva').textContent === 'Salvato in questo browser ✓');
  const salvato = (await leggiKv(page, 'mod:La mia scheda.xlsx'))[rif];
  assert.equal(salvato, 'a'.repeat(32766) + '💪');
});

test('the table size: bounded steps, kept across a reload', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const zoom = () => page.$eval('table.xl', (t) => t.style.zoom);
  for (let i = 0; i < 9; i++) await page.click('button[title="Più grande"]');
  assert.equal(await zoom(), '1.6');
  await page.reload();
  await caricata(page);
  assert.equal(await zoom(), '1.6');
  for (let i = 0; i < 14; i++) await page.click('button[title="Più piccola"]');
  assert.equal(await zoom(), '0.5');
});

test('values show as a spreadsheet shows them', async () => {
  const page = await apriSchede(sito);
  const casi = await page.evaluate(() => [
    mostraNumero(45976, 14, 'd/m/yyyy'),
    mostraNumero(45976, 164, 'd mmmm'),
    mostraNumero(45976.5, 22, 'd/m/yyyy h:mm'),
    mostraNumero(45976, 165, '"giorno" dd-mmm-yy'),
    mostraNumero(0.25, 9, '0%'),
    mostraNumero(0.12345, 10, '0.00%'),
    mostraNumero(3.5, 2, '0.00'),
    mostraNumero(1234.5, 4, '#,##0.00'),
    mostraNumero(62.5, 0, ''),
    mostraNumero(0.1 + 0.2, 0, 'General'),
  ]);
  assert.deepEqual(casi, ['15/11/2025', '15 novembre', '15/11/2025 12:00', 'giorno 15-nov-25', '25%', '12,35%', '3,50', '1234,50', '62,5', '0,30000000000000004']);
});

test('a browser store that refuses the edit says so and keeps it in memory', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('simple.xlsx'));
  const pieno = `(() => {
    const put = IDBObjectStore.prototype.put;
    IDBObjectStore.prototype.put = function (v, k) {
      if (String(k).startsWith('mod:')) throw new DOMException('quota', 'QuotaExceededError');
      return put.call(this, v, k);
    };
  })();`;
  const page = await apriSchede(sito, { init: [pieno] });
  const box = page.locator('td.xin:empty').first();
  const rif = await box.getAttribute('data-r');
  await box.click();
  await page.keyboard.type('90');
  await page.keyboard.press('Tab');
  await page.waitForFunction(() => $('skSalva').textContent === 'Non riesco a salvare in questo browser.');
  assert.equal(await page.evaluate((r) => sk.mod[r], rif), '90');
  assert.equal(await page.$eval('#skSalva', (e) => e.className), 'sksalva ko');
});

test('a card without weeks, and a file beside the page that is not a workbook', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('no-weeks.xlsx'));
  let page = await apriSchede(sito);
  assert.equal(await testo(page, '.skvuoto b'), 'Nessuna settimana trovata');
  assert.match(await testo(page, '.skvuoto p'), /^Nel foglio «.+» non c'è una riga tipo «1° SETTIMANA 20 LUGLIO-26 LUGLIO»/);
  await page.close();
  sito.beside.set('La mia scheda.xlsx', fixture('broken-not-zip.xlsx'));
  page = await apriSchede(sito);
  assert.equal(await testo(page, '#skStato'), 'Qualcosa è andato storto: il file non è un .xlsx valido. Il file non è stato toccato.');
  assert.equal(await page.$eval('#skStato', (e) => e.classList.contains('errore')), true);
});

test('a load typed just before a reload is not lost', async () => {
  sito.beside.set('La mia scheda.xlsx', fixture('simple.xlsx'));
  const page = await apriSchede(sito);
  const rif = await page.locator('td.xin:empty').first().getAttribute('data-r');
  await page.click(`[data-r="${rif}"]`);
  await page.keyboard.type('44');
  await page.reload();
  await caricata(page);
  assert.equal(await testo(page, `[data-r="${rif}"]`), '44');
});
