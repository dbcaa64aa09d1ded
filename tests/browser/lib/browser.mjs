// Headless Debian Chromium for the browser suites, each launch with a fresh profile.
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { chromium } from 'playwright-core';

const FLAGS = [
  '--headless', '--no-sandbox', '--disable-gpu', '--no-first-run',
  '--disable-background-networking', '--disable-component-update', '--disable-sync',
];

export async function launchBrowser(options = {}) {
  const profile = mkdtempSync(join(tmpdir(), 'tarvela-chromium-'));
  const context = await chromium.launchPersistentContext(profile, {
    executablePath: '/usr/bin/chromium',
    headless: true,
    args: FLAGS,
    viewport: { width: 1320, height: 880 },
    ...options,
  });
  const close = async () => {
    await context.close();
    rmSync(profile, { recursive: true, force: true });
  };
  return { context, close, profile };
}
