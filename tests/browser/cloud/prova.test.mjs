// The reserved area on the test cloud, as each role sees it and uses it.
import { after, afterEach, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { avviaSito, chiudiPagine, testi } from '../lib/sito.mjs';
import { accendi, apriArea, conEsempio, datiProva, entraCome } from './prova.mjs';

let sito;
before(async () => {
  sito = await avviaSito();
  await conEsempio(sito);
});
after(async () => { await sito.chiudi(); });
afterEach(async () => { await chiudiPagine(sito); });

async function provaAccesa(opzioni) {
  const page = await apriArea(sito, opzioni);
  await accendi(page);
  return page;
}

const messaggio = async (page) => {
  await page.locator('.amsg').waitFor();
  return (await testi(page, '.amsg'))[0];
};
const righe = (page) => testi(page, '#areaElenco .arow b');
const sotto = async (page) => (await testi(page, '.aheadtxt small'))[0];

test('each role sees its own screen', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Marco (istruttore)');
  assert.deepEqual(await testi(page, '#areaBox .card h2'), ['I tuoi atleti (3)']);
  assert.deepEqual(await testi(page, '.alista .arow b'), ['Luca Bornati', 'Paolo Ghezzi', 'Sara Colmegna']);
  assert.match((await testi(page, '.alista .arow small'))[0], /^luca\.bornati@prova-tarvela\.test · 1 scheda$/);

  await entraCome(page, 'Giulia (istruttrice)');
  assert.deepEqual(await testi(page, '#areaBox .card h2'), ['I tuoi atleti (1)']);

  await entraCome(page, 'Luca (atleta)');
  assert.equal(await sotto(page), 'luca.bornati@prova-tarvela.test · ti segue Marco Vellani');
  assert.match((await testi(page, '#areaBox .card p'))[1], /^Te le prepara Marco Vellani: le trovi nella pagina Schede/);

  await entraCome(page, 'Davide (senza istruttore)');
  assert.equal(await sotto(page), 'davide.brenna@prova-tarvela.test · nessun istruttore per ora');

  await entraCome(page, 'Titolare');
  assert.deepEqual(await testi(page, '.acifra'), ['5Atleti', '2Istruttori', '1Senza istruttore', '1Titolari']);
  assert.deepEqual(await righe(page), ['Titolare Tarvela (tu)', 'Giulia Ferrandi', 'Marco Vellani', 'Davide Brenna',
    'Elena Rusconi', 'Luca Bornati', 'Paolo Ghezzi', 'Sara Colmegna']);
  assert.deepEqual(page.errori, []);
});

test('the owner makes an instructor an athlete: asked first, then his athletes are free', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Titolare');
  page.rifiuta = true;
  await page.getByLabel('Ruolo di Marco Vellani').selectOption('atleta');
  assert.equal(page.dialoghi.at(-1), 'Marco Vellani segue 3 atleti, che resteranno senza istruttore. Continuo?');
  assert.equal(await page.getByLabel('Ruolo di Marco Vellani').inputValue(), 'istruttore');

  page.rifiuta = false;
  await page.getByLabel('Ruolo di Marco Vellani').selectOption('atleta');
  assert.equal(await messaggio(page), '✅ Marco Vellani adesso è atleta.');
  for (const nome of ['Luca Bornati', 'Paolo Ghezzi', 'Sara Colmegna']) {
    assert.equal(await page.getByLabel('Chi segue ' + nome).inputValue(), '', nome);
  }
  assert.equal(await page.getByLabel('Chi segue Elena Rusconi').inputValue().then(Boolean), true);

  await entraCome(page, 'Luca (atleta)');
  assert.equal(await sotto(page), 'luca.bornati@prova-tarvela.test · nessun istruttore per ora');
});

test('the last owner cannot step down', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Titolare');
  await page.getByLabel('Ruolo di Titolare Tarvela').selectOption('istruttore');
  assert.equal(page.dialoghi.at(-1), 'Togli a te stesso il ruolo di titolare: poi non potrai più cambiare i ruoli. Continuo?');
  assert.equal(await messaggio(page), 'Serve almeno un titolare: prima fai titolare un altro account.');
  assert.equal(await page.getByLabel('Ruolo di Titolare Tarvela').inputValue(), 'titolare');
});

test('the instructor chooser offers owners and instructors but never the athlete himself', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Titolare');
  await page.getByLabel('Ruolo di Davide Brenna').selectOption('istruttore');
  await messaggio(page);
  const scelte = await page.getByLabel('Chi segue Luca Bornati').locator('option').allTextContents();
  assert.deepEqual(scelte.sort(), ['— nessun istruttore —', 'Davide Brenna', 'Giulia Ferrandi', 'Marco Vellani', 'Titolare Tarvela'].sort());
  await page.getByLabel('Chi segue Luca Bornati').selectOption({ label: 'Giulia Ferrandi' });
  await page.waitForFunction(() => /Giulia/.test(document.querySelector('.amsg')?.textContent));
  assert.equal(await messaggio(page), '✅ Adesso Giulia Ferrandi segue Luca Bornati.');
  await page.getByLabel('Chi segue Luca Bornati').selectOption('');
  await page.waitForFunction(() => /non ha un istruttore/.test(document.querySelector('.amsg')?.textContent));
  assert.equal(await messaggio(page), '✅ Luca Bornati adesso non ha un istruttore.');
});

test('the owner\'s search finds names and e-mails in any case', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Titolare');
  await page.fill('#areaCerca', 'MARCO');
  assert.deepEqual(await righe(page), ['Marco Vellani']);
  await page.fill('#areaCerca', '  RUSCONI@PROVA ');
  assert.deepEqual(await righe(page), ['Elena Rusconi']);
  await page.fill('#areaCerca', 'nessuno così');
  assert.deepEqual(await testi(page, '#areaElenco'), ['Nessun account trovato.']);
});

test('changing one\'s own name', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Luca (atleta)');
  page.risposte = ['  Luca B. Bornati  '];
  await page.getByRole('button', { name: '✎ Nome' }).click();
  assert.equal(await messaggio(page), '✅ Fatto: il nome è cambiato.');
  assert.equal((await testi(page, '.anome'))[0], 'Luca B. Bornati Atleta');
});

test('«Crea account» makes a signed-in athlete with the typed name; a bad e-mail is told', async () => {
  const page = await provaAccesa();
  await page.fill('#accNome', 'Nadia Serpieri');
  await page.fill('#accEmail', 'nadia@senzapunto');
  await page.fill('#accPw', 'forte123');
  await page.getByRole('button', { name: 'Crea account' }).click();
  await page.waitForFunction(() => /email/.test(document.querySelector('#accMsg').textContent));
  assert.equal((await testi(page, '#accMsg'))[0], 'Controlla l\'email: sembra scritta male.');

  await page.fill('#accEmail', ' Nadia@Esempio.it ');
  await page.getByRole('button', { name: 'Crea account' }).click();
  await page.locator('.ahead').waitFor();
  assert.equal((await testi(page, '.anome'))[0], 'Nadia Serpieri Atleta');
  const d = await datiProva(page);
  assert.deepEqual(d.profili.filter((p) => p.email === 'nadia@esempio.it').map((p) => [p.nome, p.ruolo, p.istruttore]),
    [['Nadia Serpieri', 'atleta', null]]);
});

test('switching the test off deletes every test card and signs out, also while a card is still loading', async () => {
  const page = await provaAccesa();
  // Luca's card gets its new look on loading and saves it into the test cloud: that save is held
  // on its way into the store.
  await page.evaluate(() => {
    const vera = kvScrivi;
    const fermo = new Promise((ok) => { window.rilascia = ok; });
    kvScrivi = async (chiave, valore) => {
      if (chiave.startsWith('prova_file:')) {
        window.fermata = true;
        await fermo;
      }
      return vera(chiave, valore);
    };
  });
  await entraCome(page, 'Luca (atleta)');
  await page.waitForFunction(() => window.fermata);
  page.rifiuta = true;
  await page.getByRole('button', { name: 'Chiudi la prova e cancella i dati di esempio' }).click();
  assert.equal(await page.locator('.aprova').count(), 1, 'declined: nothing changes');
  page.rifiuta = false;
  await page.getByRole('button', { name: 'Chiudi la prova e cancella i dati di esempio' }).click();
  const spenta = page.getByRole('button', { name: '▶ Prova l\'area riservata' });
  await Promise.race([spenta.waitFor(), new Promise((ok) => setTimeout(ok, 1000))]);
  await page.evaluate(() => window.rilascia());
  await spenta.waitFor();
  await page.evaluate(() => sk.coda);
  const resta = await page.evaluate(async () => ({
    chiavi: ['ts_prova', 'ts_prova_dati', 'ts_prova_sessione'].filter((k) => localStorage.getItem(k) !== null),
    file: await kvOperazione('readonly', (s) => s.getAllKeys(IDBKeyRange.bound('prova_file:', 'prova_file:\uffff'))),
    messeDaParte: await kvOperazione('readonly', (s) => s.getAllKeys(IDBKeyRange.bound('bak', 'bak\uffff'))),
    utente: sk.utente,
  }));
  assert.deepEqual(resta, { chiavi: [], file: [], messeDaParte: [], utente: null });
});

test('test data damaged in storage count as no data and never break the page', async () => {
  for (const dati of ['{"utenti": 5}', 'non è json', JSON.stringify({ utenti: [{ id: 7 }], profili: [null, { id: 'x', nome: 42 }], file: { a: 1 } })]) {
    const page = await apriArea(sito, { storage: { ts_prova: '1', ts_prova_dati: dati, ts_prova_sessione: 'x' } });
    await page.locator('#accEmail').waitFor();
    await page.getByRole('button', { name: 'Titolare', exact: true }).click();
    await page.waitForFunction(() => /sbagliate/.test(document.querySelector('.amsg')?.textContent));
    assert.deepEqual(page.errori, [], dati);
    await page.close();
  }
  const page = await apriArea(sito, { storage: { ts_prova_dati: '{"utenti": 5}' } });
  await accendi(page);
  await entraCome(page, 'Titolare');
  assert.equal((await testi(page, '.anome'))[0], 'Titolare Tarvela Titolare');
});

test('in the test nothing pretends to be sent or carried: a forgotten password tells the test one, no device card is no success', async () => {
  const page = await provaAccesa();
  await entraCome(page, 'Luca (atleta)');
  await page.evaluate(() => sk.coda);
  // No card beside the page from now on: this device has none to carry.
  await page.route((url) => url.pathname.endsWith('/La%20mia%20scheda.xlsx'),
    (route) => route.fulfill({ status: 200, contentType: 'text/html', body: '<!doctype html><title>Tarvela</title>' }));
  await page.evaluate(() => portaNelCloud());
  assert.deepEqual(await page.evaluate(() => [$('skSalva').textContent, $('skSalva').className]),
    ['Su questo dispositivo non ci sono schede da caricare.', 'sksalva']);
  await page.evaluate(() => esciAccount());
  await page.waitForFunction(() => !sk.utente && $('accEmail'));
  await page.fill('#accEmail', 'luca.bornati@prova-tarvela.test');
  await page.getByRole('button', { name: 'Password dimenticata?' }).click();
  await page.waitForFunction(() => $('accMsg').textContent);
  assert.equal(await page.evaluate(() => $('accMsg').textContent), 'Nella prova non parte nessuna email: gli account di prova hanno tutti la password «lampo274».');
});
