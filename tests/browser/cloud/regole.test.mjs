// The rule cases shared with the cloud's rules file, acted out on the test cloud's client.
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { readFileSync } from 'node:fs';
import { join } from 'node:path';
import { avviaSito } from '../lib/sito.mjs';
import { accendi, apriArea, conEsempio } from './prova.mjs';

const { casi } = JSON.parse(readFileSync(join(import.meta.dirname, '..', '..', 'sql', 'regole.json'), 'utf8'));

let sito;
let page;
before(async () => {
  sito = await avviaSito();
  await conEsempio(sito);
  page = await apriArea(sito);
  await accendi(page);
});
after(async () => { await sito.chiudi(); });

// Runs in the page: restores the gym as built, acts as the case's account through a fresh
// fake client, and reports what it saw in the shape of the case's 'atteso'.
async function eseguiCaso(caso) {
  const iniziali = window.__gym ??= {
    dati: localStorage.getItem('ts_prova_dati'),
    byte: await Promise.all(Object.keys(JSON.parse(localStorage.getItem('ts_prova_dati')).file)
      .map(async (p) => [p, await provaFileLeggi(p)])),
  };
  for (const [p, b] of iniziali.byte) await provaFileScrivi(p, b);
  const gym = JSON.parse(iniziali.dati);
  const utenti = [...gym.utenti];
  const idDi = (n) => utenti.find((u) => u.email === PROVA_ACCOUNT[n - 1].email).id;
  const numeroDi = (id) => PROVA_ACCOUNT.findIndex((a) => utenti.find((u) => u.id === id)?.email === a.email) + 1;
  const valoriDi = (v) => Object.fromEntries(Object.entries(v)
    .map(([k, x]) => [k, (k === 'id' || k === 'istruttore') && typeof x === 'number' ? idDi(x) : x]));
  const percorsoDi = (t) => t.replace(/\{(\d+)( maiuscolo)?\}/g, (_, n, su) => (su ? idDi(Number(n)).toUpperCase() : idDi(Number(n))));
  // What the administrator arranged before the case: stored as it is, past every rule.
  for (const passo of caso.prima || []) {
    if (passo.cancella) {
      const id = idDi(passo.cancella);
      gym.utenti = gym.utenti.filter((u) => u.id !== id);
      gym.profili = gym.profili.filter((p) => p.id !== id);
      for (const p of gym.profili) if (p.istruttore === id) p.istruttore = null;
    } else Object.assign(gym.profili.find((p) => p.id === idDi(passo.profilo)), valoriDi(passo.valori));
  }
  localStorage.setItem('ts_prova_dati', JSON.stringify(gym));
  const prima = JSON.parse(localStorage.getItem('ts_prova_dati'));
  if (caso.chi) localStorage.setItem('ts_prova_sessione', idDi(caso.chi));
  else localStorage.removeItem('ts_prova_sessione');

  const c = creaProva();
  const cartella = caso.cartella ? idDi(caso.cartella) : '';
  const suaScheda = Object.keys(prima.file).find((p) => p.startsWith(cartella + '/'));
  let esito;
  switch (caso.fa) {
    case 'vedi': {
      const { data } = await c.from('profili').select('*').order('nome');
      esito = { vede: data.map((p) => numeroDi(p.id)).sort((a, b) => a - b) };
      break;
    }
    case 'cambia': {
      const { data, error } = await c.from('profili').update(valoriDi(caso.valori)).eq('id', idDi(caso.profilo)).select();
      esito = error ? { errore: error.message } : { righe: data.length };
      break;
    }
    case 'iscrivi': {
      const email = 'nuovo.iscritto@' + PROVA_DOMINIO;
      const { error } = await c.auth.signUp({ email, password: PROVA_PASSWORD, options: { data: caso.valori } });
      esito = error ? { errore: error.message }
        : { ruolo: JSON.parse(localStorage.getItem('ts_prova_dati')).profili.find((p) => p.email === email).ruolo };
      break;
    }
    case 'elenca':
      esito = { file: (await c.storage.from('schede').list(cartella, { limit: 500 })).data.length };
      break;
    case 'leggi':
      esito = { trovato: !(await c.storage.from('schede').download(suaScheda)).error };
      break;
    case 'scrivi': {
      const percorso = caso.percorso ? percorsoDi(caso.percorso) : caso.sovrascrivi ? suaScheda : cartella + '/nuova.xlsx';
      const { error } = await c.storage.from('schede').upload(percorso, new Blob(['x'], { type: XLSX_TIPO }),
        { upsert: true, contentType: XLSX_TIPO, cacheControl: '0' });
      esito = error ? { errore: error.message } : { scritto: true };
      break;
    }
    // What a move does: the card read where it is, written where it goes, removed where it was.
    case 'sposta': {
      const letto = await c.storage.from('schede').download(suaScheda);
      if (letto.error) {
        esito = { spostato: false };
        break;
      }
      const { error } = await c.storage.from('schede').upload(idDi(caso.verso) + '/spostata.xlsx', letto.data,
        { upsert: true, contentType: XLSX_TIPO, cacheControl: '0' });
      if (!error) await c.storage.from('schede').remove([suaScheda]);
      esito = error ? { errore: error.message } : { spostato: true };
      break;
    }
    case 'togli':
      await c.storage.from('schede').remove([suaScheda]);
      esito = { tolto: !(suaScheda in JSON.parse(localStorage.getItem('ts_prova_dati')).file) };
      break;
  }
  if (caso.atteso.dopo) {
    const adesso = JSON.parse(localStorage.getItem('ts_prova_dati')).profili;
    esito.dopo = {};
    for (const [n, campi] of Object.entries(caso.atteso.dopo)) {
      const p = adesso.find((x) => x.id === idDi(Number(n)));
      const p0 = prima.profili.find((x) => x.id === idDi(Number(n)));
      esito.dopo[n] = {};
      for (const campo of Object.keys(campi)) {
        let v = p[campo];
        if (campi[campo] === '=' && v === p0[campo]) v = '=';
        else if ((campo === 'id' || campo === 'istruttore') && v) v = numeroDi(v);
        esito.dopo[n][campo] = v;
      }
    }
  }
  return esito;
}

test('every athlete of the test gym has one card', async () => {
  const d = await page.evaluate(() => JSON.parse(localStorage.getItem('ts_prova_dati')));
  assert.equal(Object.keys(d.file).length, 5);
});

for (const caso of casi) {
  test(caso.nome, async () => {
    assert.deepEqual(await page.evaluate(eseguiCaso, caso), caso.atteso);
  });
}
