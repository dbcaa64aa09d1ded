// The photo gallery, its replacement in the content-management mode and the full-screen viewer.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, testi, memoria } from '../lib/sito.mjs';

let sito;
before(async () => {
  sito = await avviaSito();
  await sito.context.clock.install({ time: new Date('2026-10-12T10:00:00+02:00') });
});
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

// A picture of the given size drawn in the page, as PNG bytes.
async function immagine(page, w, h) {
  const uri = await page.evaluate(([w, h]) => {
    const c = document.createElement('canvas');
    c.width = w; c.height = h;
    const g = c.getContext('2d');
    g.fillStyle = '#2a6'; g.fillRect(0, 0, w, h);
    return c.toDataURL('image/png');
  }, [w, h]);
  return Buffer.from(uri.split(',')[1], 'base64');
}

async function apriViewer(page, alt) {
  await page.click(`.cell:has(img[alt^="${alt}"])`);
  await page.waitForFunction(() => $('lbImg').complete && $('lbImg').naturalWidth > 0 && $('lbImg').style.width);
}

const vista = (page) => page.evaluate(() => ({ pos: lb.pos, s: lb.s, x: lb.x, y: lb.y, testo: $('lbTesto').textContent }));

// Pointer steps [type, id, x, y, kind] dispatched on the viewing area, in area coordinates.
function gesto(page, passi) {
  return page.evaluate((passi) => {
    const area = $('lbArea');
    const r = area.getBoundingClientRect();
    for (const [tipo, id, x, y, kind = 'touch'] of passi) {
      area.dispatchEvent(new PointerEvent(tipo, { pointerId: id, clientX: r.left + x, clientY: r.top + y, pointerType: kind, bubbles: true, isPrimary: id === 1 }));
    }
  }, passi);
}

test('two gallery blocks with their photos, shapes and lazy images', async () => {
  const page = await apri(sito);
  assert.deepEqual(await testi(page, '.galhead h3'), ['Sorvelo', 'Tavra']);
  assert.deepEqual(await testi(page, '.galhead .sub'), ['Palestra Tarvela · 11 foto, toccale per ingrandirle', 'Palestra Brivora · 7 foto, toccale per ingrandirle']);
  const celle = await page.$$eval('.galblock:nth-child(2) .cell', (cs) => cs.map((c) => [c.className, c.querySelector('img').getAttribute('src'), c.querySelector('img').loading]));
  assert.deepEqual(celle.map((c) => c[0]), ['cell grande', 'cell', 'cell', 'cell alta', 'cell grande', 'cell', 'cell']);
  assert.equal(celle[0][1], 'foto/tavra-esterno.jpg');
  assert.ok(celle.every((c) => c[2] === 'lazy'));
});

test('from the keyboard: every photo is a named button; the viewer holds the focus and gives it back', async () => {
  const page = await apri(sito);
  assert.equal(await page.locator('#gallerie').getByRole('button').count(), 18);
  const foto = page.getByRole('button', { name: "L'ingresso con i tornelli della palestra di Tavra" });
  await foto.focus();
  await page.keyboard.press('Enter');
  assert.equal(await page.isVisible('#lb'), true);
  assert.equal(await page.textContent('#lbTesto b'), 'Tavra · 3/7');
  const nelViewer = () => page.evaluate(() => $('lb').contains(document.activeElement));
  assert.equal(await nelViewer(), true, 'the viewer takes the focus');
  for (const tasto of ['Tab', 'Tab', 'Tab', 'Tab', 'Tab', 'Tab', 'Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab', 'Shift+Tab']) {
    await page.keyboard.press(tasto);
    assert.equal(await nelViewer(), true, `${tasto} stays inside`);
  }
  await page.keyboard.press('Escape');
  assert.equal(await page.isVisible('#lb'), false);
  assert.equal(await foto.evaluate((b) => b === document.activeElement), true, 'the focus is back on the photo');
  await page.keyboard.press('Enter');
  await page.keyboard.press('ArrowRight');
  await page.keyboard.press('Escape');
  assert.equal(await page.evaluate(() => document.activeElement.querySelector('img').alt), "Il bancone della reception di Tavra con le coppe",
    'after browsing, the focus lands on the photo last shown');
});

test('Back puts the open photo away and stays on the page; closed by hand, it leaves no entry behind', async () => {
  const page = await apri(sito);
  await page.evaluate(() => { go('corsi'); go('home'); });
  await apriViewer(page, 'La sala di Tavra');
  await page.goBack();
  await page.waitForFunction(() => $('lb').hidden);
  assert.equal(await page.evaluate(() => $('p-home').classList.contains('on') && location.hash), '#home');
  assert.equal(await page.evaluate(() => document.body.style.overflow), '', 'the page scrolls again');
  await apriViewer(page, 'La sala di Tavra');
  await page.keyboard.press('Escape');
  await page.goBack();
  await page.waitForFunction(() => $('p-corsi').classList.contains('on'));
  await page.goForward();
  await page.waitForFunction(() => $('p-home').classList.contains('on'));
  assert.equal(await page.isVisible('#lb'), false, 'Forward does not bring the photo back');
});

test('the viewer: caption, large version, arrows and keys wrapping within a location', async () => {
  const page = await apri(sito);
  await apriViewer(page, "L'ingresso con i tornelli");
  assert.equal(await page.isVisible('#lb'), true);
  assert.equal(await page.evaluate(() => document.body.style.overflow), 'hidden');
  assert.equal(await page.textContent('#lbTesto b'), 'Tavra · 3/7');
  assert.equal(await page.getAttribute('#lbImg', 'src'), 'foto/grandi/tavra-ingresso.jpg');
  assert.equal(await page.getAttribute('#lbImg', 'alt'), "L'ingresso con i tornelli della palestra di Tavra");
  for (let i = 0; i < 4; i++) await page.keyboard.press('ArrowRight');
  assert.equal(await page.textContent('#lbTesto b'), 'Tavra · 7/7');
  await page.click('button[title="Foto dopo"]');
  assert.equal(await page.textContent('#lbTesto b'), 'Tavra · 1/7');
  await page.keyboard.press('ArrowLeft');
  assert.equal(await page.textContent('#lbTesto b'), 'Tavra · 7/7');
  await page.keyboard.press('Escape');
  assert.equal(await page.isVisible('#lb'), false);
  assert.equal(await page.evaluate(() => document.body.style.overflow), '');
  await page.keyboard.press('ArrowRight');
  assert.equal(await page.evaluate(() => lb.pos), 17, 'keys act only while the viewer is open');
});

test('fitting, button and key zoom about the centre, wheel limits', async () => {
  const page = await apri(sito);
  await apriViewer(page, 'La sala di Tavra');
  const { w, h, nw, nh } = await page.evaluate(() => ({ w: $('lbArea').clientWidth, h: $('lbArea').clientHeight, nw: $('lbImg').naturalWidth, nh: $('lbImg').naturalHeight }));
  const base = Math.min(w / nw, h / nh, 1);
  let v = await vista(page);
  assert.equal(v.s, 1);
  assert.ok(Math.abs(v.x - (w - nw * base) / 2) < 0.01 && Math.abs(v.y - (h - nh * base) / 2) < 0.01, 'centred');
  await page.click('button[title="Ingrandisci"]');
  const dopo = await vista(page);
  assert.equal(dopo.s, 1.5);
  assert.ok(Math.abs(dopo.x - (w / 2 - (w / 2 - v.x) * 1.5)) < 0.01, 'the centre stays put');
  await page.keyboard.press('-');
  assert.equal((await vista(page)).s, 1);
  await page.keyboard.press('=');
  await page.keyboard.press('+');
  assert.equal((await vista(page)).s, 2.25);
  const scorrimento = await page.evaluate(() => window.scrollY);
  await page.mouse.move(300, 300);
  for (let i = 0; i < 20; i++) await page.mouse.wheel(0, -100);
  assert.equal((await vista(page)).s, 8);
  assert.equal(await page.evaluate(() => window.scrollY), scorrimento, 'the page under it does not scroll');
  for (let i = 0; i < 20; i++) await page.mouse.wheel(0, 100);
  v = await vista(page);
  assert.equal(v.s, 1);
  assert.ok(Math.abs(v.x - (w - nw * base) / 2) < 0.01, 'centred again at 1');
  const m = await page.$eval('#lbImg', (i) => { const d = new DOMMatrix(getComputedStyle(i).transform); return [d.a, d.e, d.f, i.offsetWidth]; });
  assert.ok(m[0] === 1 && Math.abs(m[1] - v.x) < 0.01 && Math.abs(m[2] - v.y) < 0.01, 'drawn where computed');
  assert.equal(m[3], Math.round(nw * base));
});

test('a mouse double click zooms in and out', async () => {
  const page = await apri(sito);
  await apriViewer(page, 'La sala di Tavra');
  await page.mouse.dblclick(400, 400);
  assert.equal((await vista(page)).s, 2.5);
  await page.mouse.dblclick(400, 400);
  assert.equal((await vista(page)).s, 1);
});

test('swipes change photo beyond 60 px when mostly sideways', async () => {
  const page = await apri(sito);
  await apriViewer(page, 'La sala di Tavra');
  await gesto(page, [['pointerdown', 1, 300, 300], ['pointermove', 1, 239, 320], ['pointerup', 1, 239, 320]]);
  assert.equal((await vista(page)).pos, 16);
  await gesto(page, [['pointerdown', 1, 300, 300], ['pointerup', 1, 239, 370]]);
  assert.equal((await vista(page)).pos, 16, 'too steep');
  await gesto(page, [['pointerdown', 1, 300, 300], ['pointerup', 1, 360, 300]]);
  assert.equal((await vista(page)).pos, 16, 'exactly 60 px is no swipe');
  await gesto(page, [['pointerdown', 1, 300, 300], ['pointerup', 1, 361, 300]]);
  assert.equal((await vista(page)).pos, 15);
});

test('a double tap within 320 ms zooms to 2.5 about the tap; slower taps do not', async () => {
  await sito.context.clock.pauseAt(new Date('2026-10-12T11:00:00+02:00'));
  const page = await apri(sito);
  await apriViewer(page, 'La sala di Tavra');
  const tap = (x, y) => gesto(page, [['pointerdown', 1, x, y], ['pointerup', 1, x + 5, y - 5]]);
  await tap(200, 200);
  await sito.context.clock.fastForward(400);
  await tap(200, 200);
  assert.equal((await vista(page)).s, 1);
  const prima = await vista(page);
  await sito.context.clock.fastForward(300);
  await tap(200, 200);
  const v = await vista(page);
  assert.equal(v.s, 2.5);
  assert.ok(Math.abs(v.x - (205 - (205 - prima.x) * 2.5)) < 0.01, 'about the tap');
  await sito.context.clock.fastForward(100);
  await tap(200, 200);
  assert.equal((await vista(page)).s, 2.5, 'the tap was forgotten after zooming');
  await sito.context.clock.resume();
});

test('pinch zooms about the fingers and dragging moves a zoomed photo', async () => {
  const page = await apri(sito);
  await apriViewer(page, 'La sala di Tavra');
  const inizio = await vista(page);
  await gesto(page, [['pointerdown', 1, 200, 300], ['pointerdown', 2, 300, 300], ['pointermove', 2, 400, 300]]);
  let v = await vista(page);
  assert.equal(v.s, 2);
  assert.ok(Math.abs(v.x - (300 - (250 - inizio.x) * 2)) < 0.01);
  await gesto(page, [['pointerup', 2, 400, 300], ['pointerup', 1, 200, 300]]);
  assert.equal((await vista(page)).pos, 15, 'the end of a pinch is no swipe');
  v = await vista(page);
  await gesto(page, [['pointerdown', 1, 300, 300], ['pointermove', 1, 200, 250], ['pointerup', 1, 200, 250]]);
  const mosso = await vista(page);
  assert.deepEqual([mosso.x - v.x, mosso.y - v.y, mosso.pos], [-100, -50, 15]);
  await gesto(page, [['pointerdown', 1, 200, 300], ['pointerdown', 2, 300, 300], ['pointermove', 2, 201, 300], ['pointerup', 2, 201, 300], ['pointerup', 1, 200, 300]]);
  assert.equal((await vista(page)).s, 1, 'pinching below 1 fits again');
});

test('replacing a photo: reduced to 1400 px, JPEG, shown in gallery and viewer, then restored', async () => {
  const page = await apri(sito);
  await page.click('#gearBtn');
  const sostituisci = async (alt, w, h) => {
    const [scelta] = await Promise.all([page.waitForEvent('filechooser'), page.click(`.cell:has(img[alt^="${alt}"])`)]);
    await scelta.setFiles({ name: 'mia.png', mimeType: 'image/png', buffer: await immagine(page, w, h) });
  };
  await sostituisci('La sala di Tavra', 3000, 1000);
  await page.waitForSelector('.cell.mia');
  await sostituisci('Macchine nella sala pesi', 800, 600);
  await page.waitForFunction(() => document.querySelectorAll('.cell.mia').length === 2);
  assert.equal(await page.isVisible('#lb'), false, 'in the mode a click replaces instead of opening');
  const mie = await memoria(page, 'ts_photos');
  assert.equal(mie.length, 16);
  assert.equal(mie[5].slice(0, 23), 'data:image/jpeg;base64,');
  const misure = await page.evaluate((uris) => Promise.all(uris.map((u) => new Promise((ok) => {
    const i = new Image(); i.onload = () => ok([i.naturalWidth, i.naturalHeight]); i.src = u;
  }))), [mie[15], mie[5]]);
  assert.deepEqual(misure, [[1400, 467], [800, 600]]);
  assert.equal(await page.isVisible('.cell.mia .ripr >> nth=0'), true);
  await page.click('#gearBtn');
  assert.equal(await page.isVisible('.cell.mia .ripr >> nth=0'), false);
  await page.click('.cell:has(img[alt^="La sala di Tavra"])');
  assert.equal(await page.getAttribute('#lbImg', 'src'), mie[15]);
  await page.keyboard.press('Escape');
  await page.click('#gearBtn');
  await page.click('.cell:has(img[alt^="La sala di Tavra"]) .ripr');
  assert.equal((await memoria(page, 'ts_photos'))[15], null);
  assert.equal(await page.getAttribute('.cell:has(img[alt^="La sala di Tavra"]) img', 'src'), 'foto/tavra-sala.jpg');
  assert.equal(await page.isVisible('#lb'), false, 'restoring does not open the viewer');
});

test('a file that is not an image and a full storage change nothing', async () => {
  const page = await apri(sito);
  await page.click('#gearBtn');
  let [scelta] = await Promise.all([page.waitForEvent('filechooser'), page.click('.cell >> nth=0')]);
  await scelta.setFiles({ name: 'nota.txt', mimeType: 'text/plain', buffer: Buffer.from('non una foto') });
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => localStorage.getItem('ts_photos')), null);
  await page.evaluate(() => { Storage.prototype.setItem = () => { throw new DOMException('pieno', 'QuotaExceededError'); }; });
  [scelta] = await Promise.all([page.waitForEvent('filechooser'), page.click('.cell >> nth=0')]);
  await scelta.setFiles({ name: 'a.png', mimeType: 'image/png', buffer: await immagine(page, 50, 50) });
  while (!page.dialoghi.length) await new Promise((ok) => setTimeout(ok, 50));
  assert.deepEqual(page.dialoghi, ['Spazio esaurito nel browser. Elimina qualche foto per liberare spazio.']);
  assert.equal(await page.$$eval('.cell.mia', (c) => c.length), 0);
});
