// The startup page in Chromium, served by tarvela-serve: where it goes, and what it remembers.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { createServer } from 'node:http';
import { launchBrowser } from './lib/browser.mjs';
import { startServer } from './lib/serve.mjs';

const PNG = Buffer.from(
  'iVBORw0KGgoAAAANSUhEUgAAAAEAAAABCAYAAAAfFcSJAAAADUlEQVR42mNk+M9QDwADhgGAWjR9awAAAABJRU5ErkJggg==', 'base64');

// A stand-in for the public site: pages always answer; the probe image as `probe` says
// ('ok': a real PNG, 'missing': 404, 'silent': never).
async function publicSite(probe) {
  const probes = [];
  const server = createServer((req, res) => {
    if (req.url.split('?')[0].endsWith('icon-192.png')) {
      probes.push(req.url);
      if (probe === 'silent') return;
      if (probe === 'ok') return res.writeHead(200, { 'content-type': 'image/png' }).end(PNG);
      return res.writeHead(404).end();
    }
    res.writeHead(200, { 'content-type': 'text/html; charset=utf-8' }).end('<title>sito pubblico</title>');
  });
  await new Promise((resolve) => server.listen(0, '127.0.0.1', resolve));
  const close = () => { server.closeAllConnections(); return new Promise((resolve) => server.close(resolve)); };
  return { url: `http://127.0.0.1:${server.address().port}/`, probes, close };
}

let browser;
before(async () => { browser = await launchBrowser(); });
after(async () => { await browser.close(); });

// A loaded machine runs timers late, never early: a wait for the page to move on is only a guard
// against a page that never does, not a measure of how soon it goes.
const HANG_GUARD = 120000;

// Opens avvio.html on a fresh tarvela-serve (a new port, so a new origin with empty storage).
// `noTimer`: the page's 6000 ms timer never fires, so only the probe can move it on.
async function openStartupPage(siteUrl, { flag = false, noTimer = false } = {}) {
  const server = await startServer({ site: siteUrl });
  const page = await browser.context.newPage();
  const errors = [];
  page.on('pageerror', (error) => errors.push(error));
  if (noTimer) {
    await page.addInitScript(() => {
      if (!location.pathname.endsWith('/avvio.html')) return;
      const setTimer = window.setTimeout;
      window.setTimeout = (work, ms, ...rest) => (ms === 6000 ? 0 : setTimer(work, ms, ...rest));
    });
  }
  if (flag) {
    await page.goto(`${server.base}nulla`, { timeout: HANG_GUARD });
    await page.evaluate(() => localStorage.setItem('online_aperto', '1'));
  }
  const started = Date.now();
  // Not until "load": a probe that never answers holds the load event until the page moves on.
  await page.goto(`${server.base}avvio.html`, { waitUntil: 'commit', timeout: HANG_GUARD });
  return { page, server, started, errors };
}

const storedFlag = (page, base) => page.goto(`${base}nulla`, { timeout: HANG_GUARD }).then(() => page.evaluate(() => localStorage.getItem('online_aperto')));

test('an unreachable public site leads to the local copy at once', async () => {
  const { page, server } = await openStartupPage('http://127.0.0.1:9/', { noTimer: true });
  try {
    await page.waitForURL(`${server.base}index.html`, { timeout: HANG_GUARD });
    assert.equal(await storedFlag(page, server.base), null);
  } finally {
    await page.close();
    await server.stop();
  }
});

test('a public site that never answers the probe loses after six seconds', async () => {
  const site = await publicSite('silent');
  const { page, server, started } = await openStartupPage(site.url);
  try {
    await page.waitForURL(`${server.base}index.html`, { timeout: HANG_GUARD });
    // The timer starts after `started`, so the page can never have gone sooner than this.
    const waited = Date.now() - started;
    assert.ok(waited >= 6000, `went after ${waited} ms`);
    assert.equal(site.probes.length, 1);
  } finally {
    await page.close();
    await server.stop();
    await site.close();
  }
});

test('a reachable public site is opened and remembered', async () => {
  const site = await publicSite('ok');
  // On a loaded machine the probe may come after six seconds; here only the probe decides.
  const { page, server } = await openStartupPage(site.url, { noTimer: true });
  try {
    await page.waitForURL(site.url, { timeout: HANG_GUARD });
    assert.match(site.probes[0], /^\/icon-192\.png\?v=\d{13}$/);
    assert.equal(await storedFlag(page, server.base), '1');
  } finally {
    await page.close();
    await server.stop();
    await site.close();
  }
});

test('with online_aperto set, a failed probe still opens the public site', async () => {
  const site = await publicSite('missing');
  const { page, server } = await openStartupPage(site.url, { flag: true });
  try {
    await page.waitForURL(site.url, { timeout: HANG_GUARD });
    assert.equal(site.probes.length, 1);
  } finally {
    await page.close();
    await server.stop();
    await site.close();
  }
});

test('a site URL with a quote, a backslash and </script> is used as it stands', async () => {
  const site = await publicSite('ok');
  const hostile = `${site.url}a"b</script><b>c\\d/`;
  const { page, server, errors } = await openStartupPage(hostile, { noTimer: true });
  try {
    await page.waitForURL(new URL(hostile).href, { timeout: HANG_GUARD });
    assert.equal(site.probes.length, 1);
    assert.deepEqual(errors, []);
  } finally {
    await page.close();
    await server.stop();
    await site.close();
  }
});
