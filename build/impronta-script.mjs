// Writes the hash of the page's one script into the page's script policy. Run after every change
// to that script:  node build/impronta-script.mjs   (--controlla: only says whether it is current)
import { createHash } from 'node:crypto';
import { readFileSync, writeFileSync } from 'node:fs';
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';

const PAGINA = join(dirname(fileURLToPath(import.meta.url)), '..', 'site', 'index.html');

// The page's code is its only <script> element with no attributes; the policy allows it by hash.
export function improntaScript(html) {
  const script = /<script>([\s\S]*?)<\/script>/.exec(html);
  if (!script) throw new Error('the page has no plain <script> element');
  return 'sha256-' + createHash('sha256').update(script[1], 'utf8').digest('base64');
}

export function conImpronta(html) {
  const politica = /(<meta http-equiv="Content-Security-Policy" content="script-src )'sha256-[A-Za-z0-9+/=]*'/;
  if (!politica.test(html)) throw new Error('the page has no script policy with a hash');
  return html.replace(politica, `$1'${improntaScript(html)}'`);
}

if (process.argv[1] === fileURLToPath(import.meta.url)) {
  const html = readFileSync(PAGINA, 'utf8');
  const nuovo = conImpronta(html);
  if (process.argv.includes('--controlla')) {
    console.log(nuovo === html ? 'the policy holds the script\'s hash' : 'the script changed: run node build/impronta-script.mjs');
    process.exit(nuovo === html ? 0 : 1);
  }
  if (nuovo !== html) writeFileSync(PAGINA, nuovo);
  console.log(improntaScript(nuovo));
}
