// The download page: device detection, the two download buttons, in-app mode, the install offer.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, apri, chiudiPagine, paginaVisibile } from '../lib/sito.mjs';

let sito;
before(async () => {
  sito = await avviaSito();
  await sito.context.route('**/app/TarvelaSorvelo.*', (r) => r.fulfill({ body: 'MZ', contentType: 'application/octet-stream' }));
});
afterEach(() => chiudiPagine(sito));
after(() => sito.chiudi());

const UA = {
  windows: 'Mozilla/5.0 (Windows NT 10.0; Win64; x64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/126.0 Safari/537.36',
  android: 'Mozilla/5.0 (Linux; Android 14; Pixel 8) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/126.0 Mobile Safari/537.36',
  mac: 'Mozilla/5.0 (Macintosh; Intel Mac OS X 14_5) AppleWebKit/605.1.15 (KHTML, like Gecko) Version/17.5 Safari/605.1.15',
  iphone: 'Mozilla/5.0 (iPhone; CPU iPhone OS 17_5 like Mac OS X) AppleWebKit/605.1.15 (KHTML, like Gecko) Mobile/15E148',
  linux: 'Mozilla/5.0 (X11; Linux x86_64) AppleWebKit/537.36 (KHTML, like Gecko) Chrome/126.0 Safari/537.36',
};

const dispositivoCon = (ua, tocchi = 0) =>
  `Object.defineProperty(Navigator.prototype, 'userAgent', { get: () => ${JSON.stringify(ua)} });
   Object.defineProperty(Navigator.prototype, 'maxTouchPoints', { get: () => ${tocchi} });`;

const marcate = (page) => page.$$eval('.disp.tuo', (d) => d.map((x) => x.dataset.disp));

test('device detection on user-agent texts and touch points', async () => {
  const page = await apri(sito);
  const casi = [[UA.android, 5, 'android'], [UA.mac, 5, 'iphone'], [UA.mac, 0, 'mac'], [UA.iphone, 5, 'iphone'],
    ['Mozilla/5.0 (iPad; CPU OS 12_0)', 5, 'iphone'], [UA.windows, 0, 'windows'], [UA.linux, 0, 'altro'], ['', 0, 'altro']];
  for (const [ua, tocchi, atteso] of casi) {
    await page.evaluate(dispositivoCon(ua, tocchi));
    assert.equal(await page.evaluate(() => dispositivo()), atteso, ua);
  }
});

test('the header button on Windows starts the download and shows the page at the top', async () => {
  const page = await apri(sito, { init: [dispositivoCon(UA.windows)] });
  await page.evaluate(() => window.scrollTo(0, 2000));
  const [scaricato] = await Promise.all([page.waitForEvent('download'), page.click('#menu .navget')]);
  assert.equal(scaricato.suggestedFilename(), 'TarvelaSorvelo.exe');
  assert.equal(await paginaVisibile(page), 'app');
  assert.equal(await page.evaluate(() => window.scrollY), 0);
  assert.deepEqual(await marcate(page), ['windows']);
  assert.equal(await page.innerHTML('#dlMsg'), '⬇ Sto scaricando <b>TarvelaSorvelo.exe</b>. Aprilo dalla cartella Download: '
    + "l'app si installa da sola e trovi l'icona <b>Tarvela Sorvelo</b> sul Desktop.");
});

test('Android downloads its package; Mac, iPhone and Linux download nothing', async () => {
  let page = await apri(sito, { percorso: '#app', init: [dispositivoCon(UA.android, 5)] });
  const [scaricato] = await Promise.all([page.waitForEvent('download'), page.click('#btnDl')]);
  assert.equal(scaricato.suggestedFilename(), 'TarvelaSorvelo.apk');
  assert.deepEqual(await marcate(page), ['android']);
  const senza = [[UA.mac, 'mac', '💻 Per questo computer'], [UA.iphone, 'iphone', "📱 Sull'iPhone le app si installano solo dall'App Store"], [UA.linux, null, '💻 Per questo computer']];
  for (const [ua, carta, messaggio] of senza) {
    page = await apri(sito, { percorso: '#app', init: [dispositivoCon(ua, ua === UA.iphone ? 5 : 0)] });
    let scaricati = 0;
    page.on('download', () => scaricati++);
    await page.click('#btnDl');
    assert.deepEqual(await marcate(page), carta ? [carta] : []);
    assert.ok((await page.textContent('#dlMsg')).startsWith(messaggio));
    await page.waitForTimeout(200);
    assert.equal(scaricati, 0);
  }
});

test('inside the desktop app: header button hidden, Windows card marked, nothing downloaded', async () => {
  const page = await apri(sito, { percorso: '#app', init: [dispositivoCon(UA.windows), 'window.__TS_APP__ = "windows";'] });
  assert.equal(await paginaVisibile(page), 'app');
  assert.equal(await page.evaluate(() => document.documentElement.classList.contains('inApp')), true);
  assert.equal(await page.isVisible('#menu .navget'), false);
  let scaricati = 0;
  page.on('download', () => scaricati++);
  await page.click('#btnDl');
  assert.deepEqual(await marcate(page), ['windows']);
  assert.equal(await page.textContent('#dlMsg'), "✅ Stai già usando l'app.");
  await page.waitForTimeout(200);
  assert.equal(scaricati, 0);
});

test('the Android bridge object alone also means in-app mode', async () => {
  const page = await apri(sito, { init: ['window.TarvelaApp = {};'] });
  assert.equal(await page.evaluate(() => IN_APP), 'android');
});

test('the install offer: shown when offered, used once, hidden once installed', async () => {
  // The browser may make its own offer at any moment: only the test's offer gets through.
  const soloFinta = `window.addEventListener('beforeinstallprompt', (e) => { if (!e.finta) e.stopImmediatePropagation(); });`;
  const page = await apri(sito, { percorso: '#app', init: [soloFinta] });
  assert.equal(await page.isVisible('#installBox'), false);
  await page.evaluate(() => {
    const e = new Event('beforeinstallprompt', { cancelable: true });
    e.finta = true;
    window.chiesto = 0;
    e.prompt = () => { window.chiesto++; };
    e.userChoice = Promise.resolve({ outcome: 'accepted' });
    window.dispatchEvent(e);
    window.annullato = e.defaultPrevented;
  });
  assert.equal(await page.evaluate(() => window.annullato), true);
  await page.click('text=📲 Installa come app');
  assert.equal(await page.evaluate(() => window.chiesto), 1);
  await page.click('text=📲 Installa come app');
  assert.equal(await page.evaluate(() => window.chiesto), 1, 'the offer serves once');
  assert.deepEqual(page.dialoghi, ['Il browser non propone l\'installazione in questo momento.\n\nPuoi usare il menu del browser → "Installa" o "Aggiungi a schermata Home".']);
  await page.evaluate(() => window.dispatchEvent(new Event('appinstalled')));
  assert.equal(await page.isVisible('#installBox'), false);
});
