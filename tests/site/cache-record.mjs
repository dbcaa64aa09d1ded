// The files the offline worker keeps until its next cache version, with their SHA-256, under the
// version that holds them. `node tests/site/cache-record.mjs --write` records the present state
// after the version in site/sw.js has been raised.
import { createHash } from 'node:crypto';
import { readFileSync, readdirSync, writeFileSync } from 'node:fs';
import { dirname, join, relative } from 'node:path';
import { fileURLToPath } from 'node:url';

const qui = dirname(fileURLToPath(import.meta.url));
const SITO = join(qui, '..', '..', 'site');
export const REGISTRO = join(qui, 'cache-first-files.json');

export function versioneWorker() {
  return /const CACHE = '([^']+)'/.exec(readFileSync(join(SITO, 'sw.js'), 'utf8'))[1];
}

// Pages come from the network first and the worker script is never served by itself: every other
// file is stored at installation or first use and changes only with a new version.
function trattenuto(percorso) {
  return !/\.html$/.test(percorso) && percorso !== 'sw.js' && !percorso.startsWith('app/');
}

function elenca(cartella) {
  return readdirSync(cartella, { withFileTypes: true }).flatMap((voce) =>
    voce.isDirectory() ? elenca(join(cartella, voce.name)) : [join(cartella, voce.name)]);
}

export function impronte() {
  return Object.fromEntries(elenca(SITO)
    .map((file) => [relative(SITO, file).split('\\').join('/'), file])
    .filter(([percorso]) => trattenuto(percorso))
    .sort(([a], [b]) => (a < b ? -1 : 1))
    .map(([percorso, file]) => [percorso, createHash('sha256').update(readFileSync(file)).digest('hex')]));
}

if (process.argv[2] === '--write') {
  writeFileSync(REGISTRO, JSON.stringify({ versione: versioneWorker(), file: impronte() }, null, 2) + '\n');
}
