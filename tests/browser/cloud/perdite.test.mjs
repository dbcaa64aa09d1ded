// What a member typed into a card of his account is never lost: another device writing the same
// card, the account changing under the page, signing out with edits the cloud refused, a tab
// closed before its table edit reached the cloud.
import { after, afterEach, before, beforeEach, test } from 'node:test';
import assert from 'node:assert/strict';
import { mkdtempSync, rmSync } from 'node:fs';
import { tmpdir } from 'node:os';
import { join } from 'node:path';
import { avviaSito, chiudiPagine } from '../lib/sito.mjs';
import { celle, fixture, kv, scriviInStilaro, stilaroPronto } from '../bridge/banco.mjs';
import { apriCollegata, collega, creaFinto, sessione } from './finto-cloud.mjs';

const ATLETA = { id: '00000000-0000-4000-8000-0000000000b2', email: 'atleta@palestra.test' };
const ACCESSO = 'sb-progetto-auth-token';
const NOME = 'Anno.xlsx';
const OGGETTO = ATLETA.id + '/' + NOME;
const ANNO = fixture('year-card.xlsx');
const BAK = `bak:cloud:${ATLETA.id}|${NOME}`;

let sito;
let f;
before(async () => {
  sito = await avviaSito();
  sito.temp = mkdtempSync(join(tmpdir(), 'tarvela-perdite-cloud-'));
});
after(async () => {
  await sito.chiudi();
  rmSync(sito.temp, { recursive: true, force: true });
});
beforeEach(async () => {
  f = creaFinto();
  f.utente(ATLETA.id, ATLETA.email, 'segreta2', 'Atleta Vero');
  f.oggetti.set(OGGETTO, { byte: ANNO, tipo: 'application/octet-stream' });
  await sito.context.unrouteAll({ behavior: 'ignoreErrors' });
  await sito.context.route((url) => url.origin !== new URL(sito.base).origin, (route) => route.abort());
  await collega(sito, f);
});
afterEach(async () => { await chiudiPagine(sito); });

async function schedaNelCloud(vista, opzioni = {}) {
  const page = await apriCollegata(sito, {
    percorso: '#schede', ...opzioni,
    storage: { [ACCESSO]: sessione(ATLETA), ts_xl_vista: JSON.stringify(vista), ...(opzioni.storage || {}) },
  });
  await page.waitForFunction(() => sk.posto === 'cloud' && sk.bytes);
  await page.evaluate(() => sk.coda);
  return page;
}

const nelCloud = (rifs) => celle(sito, f.oggetti.get(OGGETTO).byte, rifs);

test('an engine save never overwrites what another device wrote meanwhile: it goes aside and the page shows the other version', async () => {
  const page = await schedaNelCloud('stilaro');
  await stilaroPronto(page);
  // The other device works on what the cloud holds now (restyled on opening here).
  const altro = Buffer.from(await page.evaluate(async () => aBase64(await scriviCelle(sk.bytes, { E622: '55' }).then((b) => b.arrayBuffer()))), 'base64');
  f.oggetti.set(OGGETTO, { byte: altro, tipo: 'application/octet-stream' });
  await scriviInStilaro(page, 'E623', '66');
  await page.waitForFunction(() => /^Cambiata altrove/.test($('stStato').textContent), null, { timeout: 20000 });
  assert.deepEqual(nelCloud(['E622', 'E623']).E622, 55);
  assert.notEqual(nelCloud(['E623']).E623, 66, 'the other device\'s version is not overwritten');
  const [messo] = await kv(page, BAK);
  assert.equal(messo.perche, 'conflitto');
  assert.equal(celle(sito, messo.dati, ['E623']).E623, 66);
  // The page now shows the other device's card, and a later edit builds on it.
  await page.waitForFunction(() => stil.avviato && stil.versione === sk.versione);
  await scriviInStilaro(page, 'E624', '77');
  await page.waitForFunction(() => /^Salvato nel tuo account ✓/.test($('stStato').textContent), null, { timeout: 20000 });
  assert.deepEqual(nelCloud(['E622', 'E624']), { E622: 55, E624: 77 });
});

test('an account that ends from elsewhere keeps the engine\'s unsaved edits on the device, for that account', async () => {
  const page = await schedaNelCloud('stilaro');
  await stilaroPronto(page);
  f.risposte['POST /storage/v1/object/schede/' + OGGETTO] = { status: 500, corpo: { message: 'servizio non disponibile' } };
  await scriviInStilaro(page, 'E621', '123');
  await page.waitForFunction(() => /^Non salvato/.test($('stStato').textContent), null, { timeout: 20000 });
  // Signed out by another tab or by an expired session: the client's own listener tells the page.
  await page.evaluate(() => clientCloud.auth.signOut({ scope: 'local' }));
  await page.waitForFunction(() => !sk.utente, null, { timeout: 30000 });
  const [messo] = await kv(page, BAK);
  assert.equal(messo.perche, 'sospesa');
  assert.equal(celle(sito, messo.dati, ['E621']).E621, 123);
  assert.match(await page.evaluate(() => $('skMsg').textContent), /Anno.*non si è potuto salvare: l'ho messo da parte per quella scheda/);
});

test('signing out with table edits the cloud refused asks first, and keeps them for the account', async () => {
  const page = await schedaNelCloud('tabella');
  f.risposte['POST /storage/v1/object/schede/' + OGGETTO] = { status: 500, corpo: { message: 'servizio non disponibile' } };
  await page.evaluate(async () => { registra('E621', '91'); await salvaNelFile(); });
  assert.match(await page.evaluate(() => $('skSalva').textContent), /non chiudere la pagina/);
  page.rifiuta = true;
  await page.evaluate(() => esciAccount());
  assert.match(page.dialoghi.at(-1), /^Quello che hai scritto nella tabella non si è potuto salvare nel tuo account\. Esco lo stesso\?/);
  assert.equal(await page.evaluate(() => !!sk.utente && sk.attesa.E621), '91', 'declined: still signed in, the edit still waiting');
  page.rifiuta = false;
  await page.evaluate(() => esciAccount());
  await page.waitForFunction(() => !sk.utente, null, { timeout: 20000 });
  const [messo] = await kv(page, BAK);
  assert.equal(messo.perche, 'sospesa');
  assert.equal(celle(sito, messo.dati, ['E621']).E621, 91);
});

test('a table edit whose tab closed before it reached the cloud is written there when the card opens again', async () => {
  const page = await schedaNelCloud('tabella');
  await page.evaluate(() => registra('E621', '72,5'));
  // The profile's local storage, as the next tab of this browser finds it.
  const giornale = await page.evaluate(() => localStorage.getItem('ts_giornale'));
  await page.close();
  assert.notEqual(nelCloud(['E621']).E621, 72.5, 'closed within the pause before the write');
  const di = await schedaNelCloud('tabella', { storage: { ts_giornale: giornale } });
  await di.waitForFunction(() => /^Salvato nel tuo account ✓/.test($('skSalva').textContent), null, { timeout: 20000 });
  assert.equal(nelCloud(['E621']).E621, 72.5);
  assert.equal(await di.evaluate(() => localStorage.getItem('ts_giornale')), null);
});
