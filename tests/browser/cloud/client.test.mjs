// The page against the real client library, with the cloud's HTTP API faked: the exact
// requests the page makes, and what it shows for the cloud's answers.
import { after, afterEach, before, beforeEach, test } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, chiudiPagine, testi } from '../lib/sito.mjs';
import { LIBRERIA, apriCollegata, collega, creaFinto, richiesteA, sessione } from './finto-cloud.mjs';
import { ESEMPIO, XLSX } from './prova.mjs';

const TITOLARE = { id: '00000000-0000-4000-8000-0000000000a1', email: 'titolare@palestra.test' };
const ATLETA = { id: '00000000-0000-4000-8000-0000000000a2', email: 'atleta@palestra.test' };
const ACCESSO = 'sb-progetto-auth-token';

let sito;
let f;
before(async () => { sito = await avviaSito(); });
after(async () => { await sito.chiudi(); });
beforeEach(async () => {
  f = creaFinto();
  f.utente(TITOLARE.id, TITOLARE.email, 'segreta1', 'Titolare Vero', 'titolare');
  f.utente(ATLETA.id, ATLETA.email, 'segreta2', 'Atleta Vero');
  await sito.context.unrouteAll({ behavior: 'ignoreErrors' });
  await sito.context.route((url) => url.origin !== new URL(sito.base).origin, (route) => route.abort());
  await collega(sito, f);
});
afterEach(async () => { await chiudiPagine(sito); });

const messaggio = async (page) => (await testi(page, '#accMsg'))[0];

async function entra(page, email, password) {
  await page.fill('#accEmail', email);
  await page.fill('#accPw', password);
  await page.getByRole('button', { name: 'Entra', exact: true }).click();
}

test('signing in: the password grant, then the profiles ordered by name and every folder counted', async () => {
  f.oggetti.set(ATLETA.id + '/Uno.xlsx', { byte: Buffer.from('x'), tipo: 'x' });
  f.oggetti.set(ATLETA.id + '/note.txt', { byte: Buffer.from('x'), tipo: 'x' });
  const page = await apriCollegata(sito, { percorso: '#area' });
  assert.deepEqual(f.richieste.map((r) => r.metodo + ' ' + r.percorso), [], 'signed out, nothing is asked');
  await entra(page, TITOLARE.email, 'segreta1');
  await page.locator('#areaElenco .arow').nth(1).waitFor();

  const [grant] = richiesteA(f, 'POST /auth/v1/token?grant_type=password');
  assert.deepEqual(Object.keys(grant.corpo).sort(), ['email', 'gotrue_meta_security', 'password']);
  assert.equal(grant.headers.apikey, 'chiave-pubblica-di-prova');
  const [profili] = richiesteA(f, 'GET /rest/v1/profili');
  assert.equal(profili.percorso, '/rest/v1/profili?select=*&order=nome.asc');
  assert.match(profili.headers.authorization, /^Bearer .+\..+\..+$/);
  const liste = richiesteA(f, 'POST /storage/v1/object/list/schede');
  assert.deepEqual([...new Set(liste.map((r) => r.corpo.prefix))].sort(), [TITOLARE.id, ATLETA.id].sort());
  assert.deepEqual(liste[0].corpo.sortBy, { column: 'name', order: 'asc' });
  assert.equal(liste[0].corpo.limit, 500);
  assert.match((await testi(page, '#areaElenco .arow'))[1], /atleta@palestra\.test · 1 scheda/);
});

test('the card files: list, download, upload and remove in the folder, names made safe', async () => {
  const page = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(ATLETA) } });
  await page.locator('.ahead').waitFor();
  f.richieste.length = 0;
  const letto = await page.evaluate(async () => {
    await cloudScrivi('Scheda Però: 1/2.xlsx', new Uint8Array([80, 75, 3, 4]));
    const elenco = await cloudElenco();
    const byte = new Uint8Array(await cloudLeggi('Scheda Però: 1/2.xlsx'));
    await cloudTogli('Scheda Però: 1/2.xlsx');
    return { elenco, byte: [...byte], dopo: await cloudElenco() };
  });
  assert.deepEqual(letto, { elenco: ['Scheda Pero_ 1_2.xlsx'], byte: [80, 75, 3, 4], dopo: [] });
  const nome = encodeURIComponent('Scheda Pero_ 1_2.xlsx');
  const [su] = richiesteA(f, 'POST /storage/v1/object/schede/');
  assert.equal(su.percorso, '/storage/v1/object/schede/' + ATLETA.id + '/' + nome);
  assert.equal(su.headers['x-upsert'], 'true');
  const multipart = su.grezzo.toString('latin1');
  assert.match(multipart, /name="cacheControl"\r\n\r\n0\r\n/);
  assert.match(multipart, /Content-Type: application\/vnd\.openxmlformats-officedocument\.spreadsheetml\.sheet/);
  assert.equal(richiesteA(f, 'GET /storage/v1/object/schede/')[0].percorso, su.percorso);
  assert.deepEqual(richiesteA(f, 'DELETE /storage/v1/object/schede')[0].corpo, { prefixes: [ATLETA.id + '/Scheda Pero_ 1_2.xlsx'] });
});

test('a refused upload and a missing object come back as CloudError with the service\'s message', async () => {
  const page = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(ATLETA) } });
  await page.locator('.ahead').waitFor();
  const errori = await page.evaluate(async (altro) => {
    const prova = async (fare) => { try { await fare(); return 'nessun errore'; } catch (e) { return e.name + ': ' + e.message; } };
    return [await prova(() => cloudLeggi('manca.xlsx')),
      await prova(async () => { sk.proprietario = { id: altro }; try { await cloudScrivi('a.xlsx', new Uint8Array(1)); } finally { sk.proprietario = null; } })];
  }, TITOLARE.id);
  assert.equal(errori[0], 'CloudError: Object not found');
  assert.equal(errori[1], 'CloudError: new row violates row-level security policy');
});

test('signing up where the cloud asks for confirmation: the link leads back to the area, the member stays signed out', async () => {
  const page = await apriCollegata(sito, { percorso: '#area' });
  await page.fill('#accNome', '  Nuova Persona ');
  await page.fill('#accEmail', 'nuova@palestra.test');
  await page.fill('#accPw', 'abcdef');
  await page.getByRole('button', { name: 'Crea account' }).click();
  await page.waitForFunction(() => /Account creato/.test(document.querySelector('#accMsg').textContent));
  const [su] = richiesteA(f, 'POST /auth/v1/signup');
  assert.equal(new URL(su.percorso, 'http://x').searchParams.get('redirect_to'), new URL(sito.base).origin + '/#area');
  assert.deepEqual(su.corpo.data, { nome: 'Nuova Persona' });
  assert.equal(await messaggio(page), 'Account creato: apri la email che ti è arrivata, conferma, poi torna qui e premi «Entra».');
  await page.getByRole('button', { name: 'Entra', exact: true }).click();
  await page.waitForFunction(() => /conferma/.test(document.querySelector('#accMsg').textContent) && !/Entro/.test(document.querySelector('#accMsg').textContent));
  assert.equal(await messaggio(page), 'Prima conferma l\'account dal link che ti è arrivato per email.');
});

test('account errors are told as what they are', async () => {
  const page = await apriCollegata(sito, { percorso: '#area' });
  await entra(page, ATLETA.email, 'sbagliata');
  await page.waitForFunction(() => /sbagliate/.test(document.querySelector('#accMsg').textContent));
  f.risposte['POST /auth/v1/recover'] = { status: 429, corpo: { code: 'over_email_send_rate_limit',
    message: 'For security purposes, you can only request this after 37 seconds.' } };
  await page.getByRole('button', { name: 'Password dimenticata?' }).click();
  await page.waitForFunction(() => /secondi/.test(document.querySelector('#accMsg').textContent));
  assert.equal(await messaggio(page), 'Hai già fatto questa richiesta da poco: aspetta 37 secondi e riprova.');
  const [recover] = richiesteA(f, 'POST /auth/v1/recover');
  assert.equal(new URL(recover.percorso, 'http://x').searchParams.get('redirect_to'), new URL(sito.base).origin + '/#area');
});

async function dialogo(page, n) {
  while (page.dialoghi.length < n) await new Promise((r) => setTimeout(r, 20));
  return page.dialoghi[n - 1];
}

test('the password link signs the member in, opens the area and asks for the new password', async () => {
  const token = sessione(ATLETA);
  const frammento = `#area#access_token=${token.access_token}&expires_at=${token.expires_at}&expires_in=3600`
    + `&refresh_token=${token.refresh_token}&token_type=bearer&type=recovery`;
  const page = await sito.context.newPage();
  page.dialoghi = [];
  page.risposte = ['nuovissima', 'nuovissima'];
  page.on('dialog', (d) => { page.dialoghi.push(d.message()); d.accept(d.type() === 'prompt' ? page.risposte.shift() : undefined); });
  await page.goto(sito.base + frammento);
  assert.equal(await dialogo(page, 1), 'Scegli la password nuova (almeno 6 caratteri):');
  assert.equal(await dialogo(page, 2), 'Fatto: la password è cambiata.');
  assert.deepEqual(richiesteA(f, 'PUT /auth/v1/user')[0].corpo.password, 'nuovissima');
  assert.equal(await page.evaluate(() => location.hash), '#area');
  await page.waitForFunction(() => document.querySelector('#p-area.on .ahead'));
  assert.equal((await testi(page, '.anome'))[0], 'Atleta Vero Atleta');

  await page.evaluate(() => { nuovaPassword(); });
  assert.equal(await dialogo(page, 4), 'La password nuova deve essere diversa da quella di prima.');
});

test('the confirmation link signs the new member in and opens the area', async () => {
  const token = sessione(ATLETA);
  const page = await apriCollegata(sito, { percorso: `#area#access_token=${token.access_token}&expires_at=${token.expires_at}`
    + `&expires_in=3600&refresh_token=${token.refresh_token}&token_type=bearer&type=signup` });
  await page.waitForFunction(() => document.querySelector('#p-area.on .ahead'));
  assert.equal(await page.evaluate(() => sk.utente.id), ATLETA.id);
  assert.equal(await page.evaluate(() => location.hash), '#area');
});

test('an expired e-mail link opens the area and says so', async () => {
  const page = await apriCollegata(sito, { percorso: '#area#error=access_denied&error_code=otp_expired'
    + '&error_description=Email+link+is+invalid+or+has+expired' });
  await page.locator('.amsg.ko').waitFor();
  assert.match((await testi(page, '.amsg'))[0], /^Il link dell'email non vale più/);
  assert.equal(await page.evaluate(() => location.hash), '#area');
  assert.equal(await page.locator('#accEmail').count(), 1);
});

test('signing out without a connection says so and keeps the member signed in', async () => {
  f.uscitaOffline = true;
  const page = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(ATLETA) } });
  await page.locator('.ahead').waitFor();
  await page.getByRole('button', { name: 'Esci' }).click();
  assert.match(await dialogo(page, 1), /^Non sono riuscito a uscire dall'account: .* Riprova quando c'è la connessione\.$/);
  assert.equal(await page.evaluate(() => sk.utente && sk.utente.id), ATLETA.id);
  assert.equal(await page.locator('.ahead').count(), 1);

  f.uscitaOffline = false;
  await page.getByRole('button', { name: 'Esci' }).click();
  await page.locator('#accEmail').waitFor();
  assert.equal(await page.evaluate((k) => localStorage.getItem(k), ACCESSO), null);
});

test('a cloud without the reserved area set up names the file to run', async () => {
  f.senzaTabella = true;
  const page = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(ATLETA) } });
  await page.getByRole('button', { name: 'Riprova' }).waitFor();
  assert.match((await testi(page, '#areaBox .card'))[0],
    /^Nel cloud manca ancora l'area riservata: in Supabase va eseguito una volta il file SUPABASE-area-riservata\.sql\./);
  assert.equal(await page.getByRole('button', { name: 'Esci' }).count(), 1);
});

test('a change refused by the rules shows their message; no row back is a refusal too', async () => {
  const page = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(TITOLARE) } });
  await page.locator('#areaElenco .arow').nth(1).waitFor();
  f.risposte['PATCH /rest/v1/profili'] = { status: 400, corpo: { code: 'P0001', details: null, hint: null,
    message: 'Serve almeno un titolare: prima fai titolare un altro account.' } };
  page.rifiuta = false;
  await page.getByLabel('Ruolo di Titolare Vero').selectOption('istruttore');
  await page.locator('.amsg.ko').waitFor();
  assert.equal((await testi(page, '.amsg'))[0], 'Serve almeno un titolare: prima fai titolare un altro account.');
  const [patch] = richiesteA(f, 'PATCH /rest/v1/profili');
  assert.equal(patch.percorso, '/rest/v1/profili?id=eq.' + TITOLARE.id + '&select=*');
  assert.equal(patch.headers.prefer, 'return=representation');
  assert.deepEqual(patch.corpo, { ruolo: 'istruttore' });
  assert.equal(await page.getByLabel('Ruolo di Titolare Vero').inputValue(), 'titolare');

  f.risposte['PATCH /rest/v1/profili'] = { status: 200, corpo: [] };
  await page.getByLabel('Ruolo di Atleta Vero').selectOption('istruttore');
  await page.waitForFunction(() => /permesso/.test(document.querySelector('.amsg')?.textContent));
  assert.equal((await testi(page, '.amsg'))[0], 'Non ci riesco: il cloud non ha permesso la modifica');
});

test('a library that cannot be fetched, or was changed on the CDN, never runs: the area offers «Riprova»', async () => {
  for (const libreria of ['offline', 'window.supabase = { createClient() { throw new Error("manomesso"); } };']) {
    await sito.context.unroute((url) => url.href === LIBRERIA).catch(() => {});
    await collega(sito, f, { libreria });
    const page = await apriCollegata(sito, { percorso: '#area' });
    await page.getByRole('button', { name: 'Riprova' }).waitFor();
    assert.equal((await testi(page, '#areaBox .card p'))[0],
      'Il cloud non risponde (il cloud non è raggiungibile, forse manca la connessione).');
    assert.equal(await page.evaluate(() => typeof window.supabase), 'undefined');
    await page.close();
  }
});

test('«Riprova» starts the cloud again once the library can be fetched', async () => {
  let volte = 0;
  await sito.context.route((url) => url.href === LIBRERIA,
    (route) => (volte++ === 0 ? route.abort('internetdisconnected') : route.fallback()));
  const page = await apriCollegata(sito, { percorso: '#area' });
  await page.getByRole('button', { name: 'Riprova' }).click();
  await page.locator('#accEmail').waitFor();
  assert.equal(volte, 2);
});

test('a name the rules refuse is told in the page, and nothing is sent', async () => {
  const lungo = 'Maria Benedètta Alessandra Caterina Francesca Giuseppina Ludovica Rossi Dell\'Ortò';
  const page = await apriCollegata(sito, { percorso: '#area' });
  await page.fill('#accNome', lungo);
  await page.fill('#accEmail', 'nuova@palestra.test');
  await page.fill('#accPw', 'abcdef');
  await page.getByRole('button', { name: 'Crea account' }).click();
  assert.equal(await messaggio(page), 'Il nome è troppo lungo: al massimo 80 caratteri.');
  assert.deepEqual(richiesteA(f, 'POST /auth/v1/signup'), []);

  const dentro = await apriCollegata(sito, { percorso: '#area', storage: { [ACCESSO]: sessione(ATLETA) } });
  await dentro.locator('.ahead').waitFor();
  for (const nome of ['Atleta\u202eoreV', 'Atleta\nVero']) {
    dentro.risposte = [nome];
    await dentro.getByRole('button', { name: '✎ Nome' }).click();
    await dentro.locator('.amsg.ko').waitFor();
    assert.equal((await testi(dentro, '.amsg'))[0], 'Il nome non può contenere a capo né caratteri invisibili.', JSON.stringify(nome));
  }
  dentro.risposte = ['  ' + lungo.slice(0, 80) + '  '];
  await dentro.getByRole('button', { name: '✎ Nome' }).click();
  await dentro.locator('.amsg.ok').waitFor();
  assert.deepEqual(richiesteA(f, 'PATCH /rest/v1/profili').map((r) => r.corpo), [{ nome: lungo.slice(0, 80) }]);
});

// The site's default card beside the page: the device has one card to carry.
function schedaDelDispositivo() {
  return sito.context.route((url) => url.origin === new URL(sito.base).origin && url.pathname.endsWith('/La%20mia%20scheda.xlsx'),
    (route) => route.fulfill({ status: 200, contentType: XLSX, body: ESEMPIO }));
}

const linkPer = (utente, tipo) => {
  const t = sessione(utente);
  return `#area#access_token=${t.access_token}&expires_at=${t.expires_at}&expires_in=3600`
    + `&refresh_token=${t.refresh_token}&token_type=bearer&type=${tipo}`;
};

test('a sign-in link for another account asks first, naming both; the device\'s cards never go into it', async () => {
  await schedaDelDispositivo();
  const domanda = 'Il link che hai aperto fa entrare nell\'account titolare@palestra.test, ma qui sei entrato come '
    + 'atleta@palestra.test. Esco da atleta@palestra.test ed entro come titolare@palestra.test?';
  const rimane = await sito.context.newPage();
  rimane.dialoghi = [];
  rimane.on('dialog', (d) => { rimane.dialoghi.push(d.message()); d.dismiss(); });
  await rimane.addInitScript(([k, v]) => { localStorage.clear(); localStorage.setItem(k, v); }, [ACCESSO, JSON.stringify(sessione(ATLETA))]);
  await rimane.goto(sito.base + linkPer(TITOLARE, 'magiclink'));
  await rimane.locator('#p-area.on .ahead').waitFor();
  assert.deepEqual(rimane.dialoghi, [domanda]);
  assert.deepEqual(await rimane.evaluate((k) => [sk.utente.id, location.hash, JSON.parse(localStorage.getItem(k)).user.id], ACCESSO),
    [ATLETA.id, '#area', ATLETA.id]);

  const passa = await apriCollegata(sito, { percorso: linkPer(TITOLARE, 'magiclink'), storage: { [ACCESSO]: sessione(ATLETA) } });
  await passa.waitForFunction((id) => sk.utente && sk.utente.id === id, TITOLARE.id);
  assert.deepEqual(passa.dialoghi, [domanda]);
  await passa.evaluate(() => portaNelCloud());
  assert.match((await testi(passa, '#skSalva'))[0], /^Le schede di questo dispositivo non vanno in titolare@palestra\.test: /);
  assert.deepEqual(richiesteA(f, 'POST /storage/v1/object/schede/'), []);

  // Entering with the password makes the account one's own here.
  await passa.evaluate(() => esciAccount());
  await passa.locator('#accEmail').waitFor();
  await entra(passa, TITOLARE.email, 'segreta1');
  await passa.waitForFunction((id) => sk.utente && sk.utente.id === id, TITOLARE.id);
  await passa.evaluate(() => portaNelCloud());
  await passa.waitForFunction(() => /✅|Non|non/.test(document.querySelector('#skSalva').textContent));
  assert.equal((await testi(passa, '#skSalva'))[0], '✅ 1 scheda caricata nel tuo account.');
});

test('the confirmation link of an account made here lets the device\'s cards in', async () => {
  await schedaDelDispositivo();
  const page = await apriCollegata(sito, { percorso: '#area' });
  await page.fill('#accNome', 'Nuova Persona');
  await page.fill('#accEmail', 'Nuova@Palestra.test');
  await page.fill('#accPw', 'abcdef');
  await page.getByRole('button', { name: 'Crea account' }).click();
  await page.waitForFunction(() => /Account creato/.test(document.querySelector('#accMsg').textContent));
  f.utenti.at(-1).confermato = true;
  const nuova = { id: f.utenti.at(-1).id, email: 'nuova@palestra.test' };
  // The link opened in the same tab, where the page's storage stays.
  await page.goto('about:blank');
  await page.goto(sito.base + linkPer(nuova, 'signup'));
  await page.waitForFunction((id) => typeof sk !== 'undefined' && sk.utente && sk.utente.id === id, nuova.id);
  await page.evaluate(() => portaNelCloud());
  await page.waitForFunction(() => /✅|Non|non/.test(document.querySelector('#skSalva').textContent));
  assert.equal((await testi(page, '#skSalva'))[0], '✅ 1 scheda caricata nel tuo account.');
  assert.deepEqual(page.dialoghi, []);
});
