// The offline worker against the dev server, with the network cut or answers forced by interception.
import { test, before, after, afterEach } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { avviaSito, apri, chiudiPagine, paginaVisibile } from '../lib/sito.mjs';
import { versioneWorker } from '../../site/cache-record.mjs';

const CACHE = versioneWorker();

let sito;
let offline = false;
const risposte = new Map();
before(async () => {
  sito = await avviaSito({ worker: true });
  const origine = new URL(sito.base).origin;
  await sito.context.route((url) => url.origin === origine, (route) => {
    if (offline) return route.abort('internetdisconnected');
    const forzata = risposte.get(new URL(route.request().url()).pathname);
    return forzata ? route.fulfill(forzata) : route.fallback();
  });
});
afterEach(async () => {
  offline = false;
  risposte.clear();
  await chiudiPagine(sito);
});
after(() => sito.chiudi());

const FOTO = ['sorvelo-sala-pesi', 'sorvelo-macchinari', 'sorvelo-area-corsi', 'sorvelo-sala', 'tavra-esterno', 'tavra-sala-pesi',
  'tavra-ingresso', 'tavra-reception', 'sorvelo-esterno', 'sorvelo-sala-corsi', 'sorvelo-palle-mediche', 'sorvelo-macchine',
  'sorvelo-manubri', 'sorvelo-panche', 'sorvelo-rack', 'tavra-sala', 'tavra-macchine', 'tavra-kettlebell'];

const chiavi = (page) => page.evaluate(async (nome) => (await (await caches.open(nome)).keys()).map((r) => r.url), CACHE);
const copia = (page, url) => page.evaluate(async ([nome, u]) => {
  const r = await (await caches.open(nome)).match(u);
  return r ? r.text() : null;
}, [CACHE, url]);
const attendiCopia = (page, url) => page.waitForFunction(async ([nome, u]) => !!(await (await caches.open(nome)).match(u)), [CACHE, url]);

async function controllata() {
  const page = await apri(sito);
  await page.waitForFunction(() => navigator.serviceWorker.controller);
  return page;
}

test('installation stores the 26 files, activation leaves only the current cache', async () => {
  const prima = await sito.context.newPage();
  await prima.goto(sito.base + 'manifest.json');
  await prima.evaluate(async () => {
    await (await caches.open('tarvela-v22')).put('/vecchio', new Response('v22'));
    await caches.open('altro');
  });
  const page = await controllata();
  assert.deepEqual(await page.evaluate(() => caches.keys()), [CACHE]);
  const attese = ['', 'index.html', 'manifest.json', 'logo.png', 'icon-192.png', 'icon-512.png',
    'foglio/stilaro.js', 'foglio/stilaro_wasm.js', ...FOTO.map((f) => `foto/${f}.jpg`)];
  assert.deepEqual((await chiavi(page)).sort(), attese.map((a) => sito.base + a).sort());
  assert.equal(await page.evaluate(() => navigator.serviceWorker.controller.scriptURL), sito.base + 'sw.js');
});

test('offline, a navigation with a query gets the copy stored without it', async () => {
  await controllata();
  offline = true;
  const page = await sito.context.newPage();
  await page.goto(sito.base + '?pagato=ok');
  assert.equal(await paginaVisibile(page), 'abbonamenti');
  assert.match(await page.textContent('#acquistoEsito'), /Pagamento ricevuto/);
  await page.goto(sito.base + 'mai/visto.html');
  assert.equal(await page.title(), 'Tarvela Sorvelo — Palestra', 'any never stored address shows the main page');
});

test('a server error never replaces the stored page; a missing address shows the main page online', async () => {
  const page = await controllata();
  risposte.set('/', { status: 500, body: 'guasto' });
  await page.reload();
  assert.equal(await page.title(), 'Tarvela Sorvelo — Palestra');
  assert.match(await copia(page, sito.base), /<title>Tarvela Sorvelo — Palestra<\/title>/);
  risposte.clear();
  const altra = await sito.context.newPage();
  const risposta = await altra.goto(sito.base + 'non/esiste');
  assert.equal(risposta.status(), 200);
  assert.equal(await altra.title(), 'Tarvela Sorvelo — Palestra');
});

test('the card file is stored once under its path and refreshed by each fetch', async () => {
  const page = await controllata();
  const leggi = (t) => page.evaluate((t) => fetch('scheda.xlsx?t=' + t).then((r) => r.text()), t);
  risposte.set('/scheda.xlsx', { status: 200, body: 'prima versione' });
  assert.equal(await leggi(1), 'prima versione');
  risposte.set('/scheda.xlsx', { status: 200, body: 'seconda versione' });
  assert.equal(await leggi(2), 'seconda versione');
  await page.waitForFunction(async ([nome, u]) => (await (await (await caches.open(nome)).match(u))?.text()) === 'seconda versione', [CACHE, sito.base + 'scheda.xlsx']);
  assert.deepEqual((await chiavi(page)).filter((u) => u.includes('scheda')), [sito.base + 'scheda.xlsx']);
  risposte.set('/scheda.xlsx', { status: 404, body: 'non trovato' });
  assert.equal(await leggi(3), 'seconda versione', 'an error answer gets the stored copy');
  offline = true;
  assert.equal(await leggi(4), 'seconda versione');
});

test('cache first: a large photo once fetched serves offline; 206 and 304 pass unstored', async () => {
  const page = await controllata();
  const grande = sito.base + 'foto/grandi/tavra-sala.jpg';
  const misura = (u) => page.evaluate((u) => fetch(u).then((r) => r.ok ? r.blob().then((b) => b.size) : -r.status), u);
  const byte = await misura(grande);
  assert.ok(byte > 1000);
  await attendiCopia(page, grande);
  risposte.set('/foto/grandi/sorvelo-rack.jpg', { status: 206, body: 'parziale' });
  risposte.set('/foto/grandi/sorvelo-panche.jpg', { status: 304 });
  assert.equal(await misura(sito.base + 'foto/grandi/sorvelo-rack.jpg'), 8);
  await page.evaluate((u) => fetch(u).catch(() => null), sito.base + 'foto/grandi/sorvelo-panche.jpg');
  offline = true;
  assert.equal(await misura(grande), byte);
  assert.equal(await page.evaluate(() => fetch('foto/grandi/sorvelo-rack.jpg').then(() => 'servita', () => 'fallita')), 'fallita');
  assert.deepEqual((await chiavi(page)).filter((u) => u.includes('grandi')), [grande]);
});

test('POST requests and the app downloads are left to the browser', async () => {
  const page = await controllata();
  const dalWorker = [];
  page.on('response', (r) => dalWorker.push([new URL(r.url()).pathname, r.fromServiceWorker()]));
  risposte.set('/app/TarvelaSorvelo.exe', { status: 200, body: 'MZ' });
  risposte.set('/modulo', { status: 200, body: 'ricevuto' });
  await page.evaluate(async () => {
    await fetch('modulo', { method: 'POST', body: 'x' });
    await fetch('app/TarvelaSorvelo.exe');
    await fetch('manifest.json');
  });
  assert.deepEqual(dalWorker.filter(([p]) => ['/modulo', '/app/TarvelaSorvelo.exe', '/manifest.json'].includes(p)),
    [['/modulo', false], ['/app/TarvelaSorvelo.exe', false], ['/manifest.json', true]]);
  assert.equal((await chiavi(page)).some((u) => u.includes('/app/') || u.includes('modulo')), false);
});

test('no worker is registered on the desktop app\'s local origin', async () => {
  await sito.context.route('https://tarvela.localhost/**', async (route) => {
    const percorso = new URL(route.request().url()).pathname;
    route.fulfill({ response: await route.fetch({ url: sito.base + percorso.slice(1) }) });
  });
  const spia = `window.registrazioni = 0; const orig = ServiceWorkerContainer.prototype.register;
    ServiceWorkerContainer.prototype.register = function (...a) { window.registrazioni++; return orig.apply(this, a); };`;
  const page = await sito.context.newPage();
  await page.addInitScript(spia);
  await page.goto('https://tarvela.localhost/index.html');
  assert.equal(await page.title(), 'Tarvela Sorvelo — Palestra');
  await page.waitForTimeout(300);
  assert.equal(await page.evaluate(() => window.registrazioni), 0);
  await page.goto(sito.base);
  await page.waitForFunction(() => window.registrazioni === 1);
});

test('a card seen once online opens in the engine on the next visit without a connection', async () => {
  risposte.set('/La%20mia%20scheda.xlsx', {
    status: 200, contentType: 'application/octet-stream',
    body: readFileSync(join(import.meta.dirname, '..', '..', 'fixtures', 'cards', 'year-card.xlsx')),
  });
  const pronto = (page) => page.waitForFunction(() => typeof stil !== 'undefined' && stil.avviato && $('stCopri').hidden, null, { timeout: 30000 });
  const page = await apri(sito, { percorso: '#schede', storage: { ts_xl_vista: '"stilaro"' } });
  await pronto(page);
  await page.waitForFunction(async (nome) => !!(await (await caches.open(nome)).match('foglio/stilaro_wasm.js')), CACHE);
  offline = true;
  await page.reload({ waitUntil: 'domcontentloaded' });
  await pronto(page);
  assert.equal(await page.evaluate(() => sk.posto), 'copia');
  assert.equal(await page.evaluate(() => sk.settimane.length > 1), true);
});
