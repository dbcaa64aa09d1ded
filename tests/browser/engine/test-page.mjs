// The engine's test page in Chromium: the site and this folder served on loopback, the page
// loaded with the engine ready.
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { launchBrowser } from '../lib/browser.mjs';
import { serveStatic } from './static-server.mjs';

const here = dirname(fileURLToPath(import.meta.url));

export async function openTestPage(launchOptions, onPage = () => {}) {
  const server = await serveStatic({ '/': join(here, '..', '..', '..', 'site'), '/prova/': here });
  const browser = await launchBrowser(launchOptions);
  const page = await browser.context.newPage();
  await onPage(page, browser);
  await page.goto(server.base + 'prova/page.html');
  await page.evaluate(() => pronto);
  return {
    server, browser, page,
    close: async () => {
      await browser.close();
      await server.stop();
    },
  };
}
