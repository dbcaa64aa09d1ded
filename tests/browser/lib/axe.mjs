// Runs axe-core inside a page and hands back its serious and critical findings, and headings that skip a level.
import { readFileSync } from 'node:fs';
import { createRequire } from 'node:module';

const AXE = readFileSync(createRequire(import.meta.url).resolve('axe-core/axe.min.js'), 'utf8');

export async function violazioniGravi(page) {
  // Evaluated by the browser's debugging protocol: the page's script policy refuses injected script tags.
  if (!(await page.evaluate(() => typeof window.axe === 'object'))) await page.evaluate(AXE);
  const risultato = await page.evaluate(() => window.axe.run(document, { resultTypes: ['violations'] }));
  return risultato.violations
    .filter((v) => v.impact === 'serious' || v.impact === 'critical' || v.id === 'heading-order')
    .map((v) => `${v.id}: ${v.nodes.slice(0, 3).map((n) => n.target.join(' ')).join(' | ')}`);
}
