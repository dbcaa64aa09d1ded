// Members' browsers keep the engine, the icons and the photos until the worker's cache version
// changes, while the page always comes fresh: a page that meets an older engine breaks. So a
// change to any such file must come with a new version.
import { test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { REGISTRO, impronte, versioneWorker } from './cache-record.mjs';

test('a file kept until the next cache version changes only together with the version', () => {
  const registrato = JSON.parse(readFileSync(REGISTRO, 'utf8'));
  const ora = versioneWorker();
  const consiglio = 'raise CACHE in site/sw.js, then run: node tests/site/cache-record.mjs --write';
  assert.equal(ora, registrato.versione, `the version changed: record its files (${consiglio})`);
  const adesso = impronte();
  const cambiati = Object.keys({ ...registrato.file, ...adesso }).filter((p) => registrato.file[p] !== adesso[p]);
  assert.deepEqual(cambiati, [], `changed since ${ora} was recorded: ${consiglio}`);
});
