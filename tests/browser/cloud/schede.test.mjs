// Cards moving between accounts on the test cloud: someone else's folder, the device's cards
// carried into an account, signing out with a table edit still waiting, the account box.
import { after, afterEach, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { avviaSito, chiudiPagine, testi } from '../lib/sito.mjs';
import { ESEMPIO, accendi, apriArea, conEsempio, datiProva, entraCome } from './prova.mjs';

let sito;
before(async () => {
  sito = await avviaSito();
  await conEsempio(sito);
});
after(async () => { await sito.chiudi(); });
afterEach(async () => { await chiudiPagine(sito); });

// Cell values as openpyxl reads them.
function celle(bytes, rifs) {
  const codice = 'import io,json,sys,openpyxl\nws=openpyxl.load_workbook(io.BytesIO(sys.stdin.buffer.read())).active\n'
    + `print(json.dumps([ws[r].value for r in ${JSON.stringify(rifs)}]))`;
  return JSON.parse(execFileSync('/usr/bin/python3', ['-c', codice], { input: bytes, encoding: 'utf8' }));
}

async function fileDi(page, email) {
  const b64 = await page.evaluate(async (mail) => {
    const d = JSON.parse(localStorage.getItem('ts_prova_dati'));
    const id = d.utenti.find((u) => u.email === mail).id;
    const percorso = Object.keys(d.file).find((p) => p.startsWith(id + '/'));
    if (!percorso) return null;
    const b = new Uint8Array(await kvLeggi('prova_file:' + percorso));
    let s = '';
    for (let i = 0; i < b.length; i += 0x8000) s += String.fromCharCode(...b.subarray(i, i + 0x8000));
    return [percorso.split('/')[1], btoa(s)];
  }, email);
  return b64 && { nome: b64[0], byte: Buffer.from(b64[1], 'base64') };
}

async function bottoneSchede(page, lista, nome) {
  const id = await page.evaluate((n) => area.profili.find((p) => p.nome === n).id, nome);
  return page.locator(`${lista} button[data-id="${id}"]`).filter({ hasText: 'Schede' });
}

const fermo = (page) => page.evaluate(() => sk.coda);
const statoScheda = (page) => testi(page, '#skStato').then((t) => t[0]);

test('the sample cards are made personal for each athlete and his instructor', async () => {
  const page = await apriArea(sito);
  await accendi(page);
  const luca = await fileDi(page, 'luca.bornati@prova-tarvela.test');
  assert.equal(luca.nome, 'WORKOUT - Luca Bornati.xlsx');
  assert.deepEqual(celle(luca.byte, ['A1', 'A2', 'E8', 'F8']), ['ATLETA: LUCA BORNATI', 'PERSONAL COACH: MARCO VELLANI', null, null]);
  const davide = await fileDi(page, 'davide.brenna@prova-tarvela.test');
  assert.deepEqual(celle(davide.byte, ['A1', 'A2']), ['ATLETA: DAVIDE BRENNA', 'PERSONAL COACH: DA ASSEGNARE']);
});

test('an instructor opens his athlete\'s cards, writes in them, and goes back to his own', async () => {
  const page = await apriArea(sito);
  await accendi(page);
  await entraCome(page, 'Marco (istruttore)');
  await (await bottoneSchede(page, '.alista', 'Luca Bornati')).click();
  await page.waitForFunction(() => document.querySelector('#p-schede.on') && sk.proprietario);
  await fermo(page);
  assert.equal(await statoScheda(page), 'Schede di Luca Bornati: quello che scrivi si salva nel suo account');
  assert.equal((await testi(page, '#skAccount .guarda span'))[0], '👀 Stai guardando le schede di Luca Bornati Atleta');

  await page.evaluate(() => registra('E8', '85'));
  await page.evaluate(() => salvaNelFile());
  assert.deepEqual(celle((await fileDi(page, 'luca.bornati@prova-tarvela.test')).byte, ['E8']), [85]);

  await page.getByRole('button', { name: '⟵ Torna alle mie schede' }).first().click();
  await page.waitForFunction(() => !sk.proprietario);
  await fermo(page);
  assert.equal(await statoScheda(page), 'Il tuo account è pronto: aggiungi la prima scheda');
  assert.equal(await page.locator('#skAccount .guarda').count(), 0);
});

test('cards the owner adds to an empty folder are there for its account', async () => {
  const page = await apriArea(sito);
  await accendi(page);
  await entraCome(page, 'Titolare');
  await (await bottoneSchede(page, '#areaElenco', 'Giulia Ferrandi')).click();
  await page.waitForFunction(() => sk.proprietario);
  await fermo(page);
  assert.equal(await statoScheda(page), 'Giulia Ferrandi non ha ancora schede: aggiungine una');
  const scelta = page.waitForEvent('filechooser');
  await page.locator('#p-schede').getByRole('button', { name: '＋ Aggiungi scheda' }).first().click();
  await (await scelta).setFiles({ name: 'Programma Però.xlsx', mimeType: 'application/octet-stream', buffer: ESEMPIO });
  await page.waitForFunction(() => !sk.cartellaVuota && sk.elenco.length);
  await fermo(page);

  await page.evaluate(() => go('area'));
  await entraCome(page, 'Giulia (istruttrice)');
  await page.evaluate(() => go('schede'));
  await fermo(page);
  assert.deepEqual(await page.evaluate(() => sk.elenco), ['Programma Pero.xlsx']);
  assert.equal(await statoScheda(page), 'Nel tuo account: quello che scrivi si salva nel cloud');
});

test('the device\'s cards, with their table edits, are carried into an empty account', async () => {
  const page = await apriArea(sito);
  await page.evaluate(() => kvScrivi('mod:La mia scheda.xlsx', { E8: '99' }));
  await accendi(page);
  await entraCome(page, 'Titolare');
  await page.evaluate(() => go('schede'));
  await fermo(page);
  await page.getByRole('button', { name: '⇪ Porta qui le schede del dispositivo' }).click();
  await page.waitForFunction(() => /caricat/.test(document.querySelector('#skSalva').textContent));
  assert.equal((await testi(page, '#skSalva'))[0], '✅ 1 scheda caricata nel tuo account.');
  await fermo(page);
  const mia = await fileDi(page, 'titolare@prova-tarvela.test');
  assert.equal(mia.nome, 'La mia scheda.xlsx');
  assert.deepEqual(celle(mia.byte, ['A8', 'E8']), ['SQUAT', 99]);
});

test('signing out writes a waiting table edit into the account first', async () => {
  const page = await apriArea(sito, { storage: { ts_xl_vista: '"tabella"' } });
  await accendi(page);
  await entraCome(page, 'Luca (atleta)');
  await page.evaluate(() => go('schede'));
  await fermo(page);
  await page.evaluate(() => registra('F8', '12'));
  await page.locator('#skAccount').getByRole('button', { name: 'Esci' }).click();
  await page.waitForFunction(() => !sk.utente);
  assert.deepEqual(celle((await fileDi(page, 'luca.bornati@prova-tarvela.test')).byte, ['F8']), [12]);
});

test('signing out first saves what was just typed in the engine into the account', async () => {
  const page = await apriArea(sito);
  await accendi(page);
  await entraCome(page, 'Luca (atleta)');
  await page.evaluate(() => go('schede'));
  await page.waitForFunction(() => typeof stil !== 'undefined' && stil.avviato && $('stCopri').hidden, null, { timeout: 20000 });
  await page.evaluate(() => stilaro.foglio_vai('F8'));
  await page.keyboard.type('14');
  await page.keyboard.press('Enter');
  // Straight to "Esci", well within the engine's pause before its own save.
  await page.locator('#skAccount').getByRole('button', { name: 'Esci' }).click();
  await page.waitForFunction(() => !sk.utente, null, { timeout: 15000 });
  assert.deepEqual(celle((await fileDi(page, 'luca.bornati@prova-tarvela.test')).byte, ['F8']), [14]);
});

test('the account box: hidden without a cloud, then signed out, then signed in', async () => {
  const page = await apriArea(sito);
  assert.equal(await page.locator('#skAccount').isHidden(), true);
  assert.equal(await page.evaluate(() => document.querySelector('script[src*="supabase"]') === null && !window.supabase), true,
    'no cloud: the client library is not even fetched');
  await accendi(page);
  await page.evaluate(() => go('schede'));
  assert.deepEqual(await testi(page, '#skAccount b, #skAccount button'), ['☁ Le tue schede su ogni dispositivo', '🔒 Entra']);
  await page.locator('#skAccount').getByRole('button', { name: '🔒 Entra' }).click();
  await entraCome(page, 'Luca (atleta)');
  await page.evaluate(() => go('schede'));
  assert.deepEqual(await testi(page, '#skAccount b, #skAccount small, #skAccount button'), ['☁ Luca Bornati Atleta',
    'Prova dell\'area riservata: account e schede di esempio, solo in questo browser.', '🔒 Area riservata', 'Esci']);
  const d = await datiProva(page);
  assert.equal(d.profili.length, 8);
});

test('signing in while a linked file has edits waiting writes them to the file, never into the account', async () => {
  const { apriSchede, collega, fileSuDisco, leggiDisco } = await import('../schede/harness.mjs');
  const page = await apriSchede(sito, { storage: { ts_prova: '1' } });
  await page.evaluate(() => accendiProva());
  await fileSuDisco(page, 'La mia scheda.xlsx', ESEMPIO);
  await collega(page);
  await page.evaluate(() => registra('E8', '77'));
  await page.evaluate((email) => entraProva(email), 'luca.bornati@prova-tarvela.test');
  await page.waitForFunction(() => sk.utente && sk.posto === 'cloud');
  await fermo(page);
  assert.deepEqual(celle(await leggiDisco(page, 'La mia scheda.xlsx'), ['E8']), [77]);
  assert.deepEqual(celle((await fileDi(page, 'luca.bornati@prova-tarvela.test')).byte, ['E8']), [null]);
});

test('a card whose name the page cannot address is shown as such and hides no other card', async () => {
  const page = await apriArea(sito);
  await accendi(page);
  // Put there past the page, as another client of the cloud could.
  await page.evaluate(async () => {
    const d = JSON.parse(localStorage.getItem('ts_prova_dati'));
    const id = d.utenti.find((u) => u.email === PROVA_ACCOUNT[3].email).id;
    const sua = Object.keys(d.file).find((p) => p.startsWith(id + '/'));
    d.file[id + '/!l\'importante.xlsx'] = { aggiornato: new Date().toISOString() };
    localStorage.setItem('ts_prova_dati', JSON.stringify(d));
    await provaFileScrivi(id + '/!l\'importante.xlsx', await provaFileLeggi(sua));
  });
  await entraCome(page, 'Luca (atleta)');
  await fermo(page);
  await page.evaluate(() => go('schede'));
  assert.deepEqual(await page.evaluate(() => [sk.posto, sk.elenco, Boolean(sk.bytes)]),
    ['cloud', ['WORKOUT - Luca Bornati.xlsx'], true]);
  assert.equal((await testi(page, '#skAccount .illeggibili'))[0], '⚠ «!l\'importante.xlsx» non si può aprire da qui: il nome ha '
    + 'caratteri che le schede non usano. Chi l\'ha caricata la aggiunga di nuovo con «＋ Aggiungi scheda».');
  assert.equal(await page.getByRole('button', { name: '🗑 Togli scheda' }).count(), 1);

  await page.evaluate(() => go('area'));
  await entraCome(page, 'Davide (senza istruttore)');
  await fermo(page);
  assert.equal(await page.locator('#skAccount .illeggibili').count(), 0, 'another folder has its own list');
});
