// The page's script policy: it lets the page's own script run only while it carries that
// script's hash, and the page holds no script in attributes, so the policy can refuse them all.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { conImpronta, improntaScript } from '../../build/impronta-script.mjs';

const html = readFileSync(join(dirname(fileURLToPath(import.meta.url)), '..', '..', 'site', 'index.html'), 'utf8');

test('the policy carries the hash of the script as it is now, and a changed script no longer matches', () => {
  assert.equal(conImpronta(html), html, 'the script changed without its hash: run node build/impronta-script.mjs');
  const cambiato = html.replace('<script>\n', '<script>\n// one more line\n');
  assert.notEqual(improntaScript(cambiato), improntaScript(html));
  assert.notEqual(conImpronta(cambiato), cambiato);
});

test('no markup, written or drawn by the script, holds an inline handler, and every action it names exists', () => {
  assert.deepEqual(html.match(/\son[a-z]+\s*=\s*["'\\]/gi) || [], []);
  const tabella = (nome) => {
    const corpo = new RegExp(`const ${nome} = \\{([\\s\\S]*?)\\n\\};`).exec(html)[1];
    return new Set([...corpo.matchAll(/^ {2}([A-Za-z]+):/gm)].map((m) => m[1]));
  };
  const usate = (attributo) => new Set([...html.matchAll(new RegExp(`data-${attributo}="([A-Za-z]+)"`, 'g'))].map((m) => m[1]));
  const clic = new Set([...usate('clic'), ...[...html.matchAll(/bottone\([^)]*?, '([A-Za-z]+)'/g)].map((m) => m[1])]);
  for (const [attributo, nome, nomi] of [['clic', 'AL_CLIC', clic], ['cambia', 'AL_CAMBIO', usate('cambia')],
    ['scrivi', 'AL_SCRIVERE', usate('scrivi')], ['invia', 'AL_INVIO', usate('invia')]]) {
    const note = tabella(nome);
    assert.ok(nomi.size > 0, `some markup names a ${attributo} action`);
    assert.deepEqual([...nomi].filter((n) => !note.has(n)), [], `data-${attributo} names an action ${nome} lacks`);
  }
});
