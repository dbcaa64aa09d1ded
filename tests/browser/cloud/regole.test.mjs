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
  localStorage.setItem('ts_prova_dati', iniziali.dati);
  for (const [p, b] of iniziali.byte) await provaFileScrivi(p, b);
  const prima = JSON.parse(iniziali.dati);
  const idDi = (n) => prima.utenti.find((u) => u.email === PROVA_ACCOUNT[n - 1].email).id;
  const numeroDi = (id) => PROVA_ACCOUNT.findIndex((a) => prima.utenti.find((u) => u.id === id)?.email === a.email) + 1;
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
      const valori = {};
      for (const [k, v] of Object.entries(caso.valori)) valori[k] = (k === 'id' || k === 'istruttore') && typeof v === 'number' ? idDi(v) : v;
      const { data, error } = await c.from('profili').update(valori).eq('id', idDi(caso.profilo)).select();
      esito = error ? { errore: error.message } : { righe: data.length };
      break;
    }
    case 'elenca':
      esito = { file: (await c.storage.from('schede').list(cartella, { limit: 500 })).data.length };
      break;
    case 'leggi':
      esito = { trovato: !(await c.storage.from('schede').download(suaScheda)).error };
      break;
    case 'scrivi': {
      const percorso = caso.sovrascrivi ? suaScheda : cartella + '/nuova.xlsx';
      const { error } = await c.storage.from('schede').upload(percorso, new Blob(['x'], { type: XLSX_TIPO }),
        { upsert: true, contentType: XLSX_TIPO, cacheControl: '0' });
      esito = error ? { errore: error.message } : { scritto: true };
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
