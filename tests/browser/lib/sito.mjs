// One dev server and one browser per test file; each test opens its own page with the
// storage it needs. Nothing leaves the machine: every other host is refused.
import { launchBrowser } from './browser.mjs';
import { startServer } from './serve.mjs';

export async function avviaSito({ worker = false, ...opzioni } = {}) {
  const server = await startServer();
  const browser = await launchBrowser({
    serviceWorkers: worker ? 'allow' : 'block',
    timezoneId: 'Europe/Rome',
    locale: 'it-IT',
    ...opzioni,
  });
  const { context } = browser;
  const origine = new URL(server.base).origin;
  await context.route((url) => url.origin !== origine, (route) => route.abort());
  return {
    base: server.base,
    context,
    async chiudi() {
      await browser.close();
      await server.stop();
    },
  };
}

// Opens the site with exactly the given localStorage (other keys are cleared first).
// Dialogs are recorded in page.dialoghi; confirmations are accepted unless page.rifiuta is set;
// prompts take the answers queued in page.risposte.
export async function apri(sito, { storage = {}, percorso = '', init = [], viewport } = {}) {
  const page = await sito.context.newPage();
  if (viewport) await page.setViewportSize(viewport);
  page.errori = [];
  page.dialoghi = [];
  page.on('pageerror', (e) => page.errori.push(e));
  page.on('dialog', (d) => {
    page.dialoghi.push(d.message());
    if (d.type() === 'confirm' && page.rifiuta) d.dismiss();
    else if (d.type() === 'prompt' && page.risposte?.length) d.accept(page.risposte.shift());
    else d.accept();
  });
  // Storage is set up once per tab, before the page's own script; reloads keep what the page stored.
  await page.addInitScript((voci) => {
    if (window !== window.top || sessionStorage.getItem('__preparata')) return;
    sessionStorage.setItem('__preparata', '1');
    localStorage.clear();
    for (const [k, v] of Object.entries(voci)) localStorage.setItem(k, typeof v === 'string' ? v : JSON.stringify(v));
  }, storage);
  for (const script of init) await page.addInitScript(script);
  await page.goto(sito.base + percorso, { waitUntil: 'domcontentloaded' });
  return page;
}

// The visible page's name, from the block that carries class "on".
export function paginaVisibile(page) {
  return page.evaluate(() => [...document.querySelectorAll('.page.on')].map((p) => p.id.slice(2)).join(','));
}

// Texts as written (not as styled), white space collapsed.
export function testi(page, selettore) {
  return page.$$eval(selettore, (els) => els.map((e) => e.textContent.replace(/\s+/g, ' ').trim()));
}

export function memoria(page, key) {
  return page.evaluate((k) => JSON.parse(localStorage.getItem(k)), key);
}

export async function chiudiPagine(sito) {
  for (const p of sito.context.pages()) await p.close();
}

// What inside the selector a reader would have to scroll sideways for: boxes that leave the
// window and frames that scroll sideways. Empty when everything shows in the width.
export function sporgenze(page, selettore) {
  return page.$$eval(selettore + ', ' + selettore + ' *', (els) => els.flatMap((el) => {
    const r = el.getBoundingClientRect();
    if (!r.width || el.getClientRects().length === 0) return [];
    const nome = el.id || el.className || el.tagName;
    const fuori = r.left < -0.5 || r.right > innerWidth + 0.5 ? [`${nome} ${Math.round(r.left)}…${Math.round(r.right)}`] : [];
    const scorre = el.scrollWidth > el.clientWidth + 1 && /auto|scroll/.test(getComputedStyle(el).overflowX)
      ? [`${nome} scorre ${el.scrollWidth}/${el.clientWidth}`] : [];
    return fuori.concat(scorre);
  }));
}
