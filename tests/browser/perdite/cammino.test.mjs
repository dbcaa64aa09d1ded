// Nothing a member types is ever lost: seeded random walks over the card page (table and
// engine, weeks, cards, a linked file changed outside, a second tab, another device, the
// account, closed tabs, failed writes), each checked against raw storage; and every walk that
// once lost something, replayed as it was found.
//   PERDITE_CAMMINI=n PERDITE_SEME=s node --test tests/browser/perdite/cammino.test.mjs
import { after, before, test } from 'node:test';
import assert from 'node:assert/strict';
import { avviaBanco, camminoCasuale, cammina, daTesto, resoconto } from './cammino.mjs';
import { TROVATI } from './trovati.mjs';

const CAMMINI = Number(process.env.PERDITE_CAMMINI || 1);
const SEME = Number(process.env.PERDITE_SEME || Date.now() % 1e9);
const APERTI = TROVATI.filter((c) => c.aperto && !c.finestra);

let banco;
before(async () => { banco = await avviaBanco(); });
after(async () => { await banco?.chiudi(); });

for (const caso of TROVATI) {
  test(`${caso.seme === null ? 'written by hand' : 'seed ' + caso.seme}: ${caso.cosa}`, { todo: caso.aperto || false }, async () => {
    const esito = await cammina(banco, daTesto(caso.comandi));
    assert.deepEqual(esito.perse.map((p) => `${p.carta} ${p.cosa}`), [], resoconto(esito));
  });
}

// Until the losses found so far are mended a new walk is likely to meet one of them again.
test(`${CAMMINI} random walk(s) from seed ${SEME} lose nothing`,
  { todo: APERTI.length ? `${APERTI.length} losses found earlier are still open` : false }, async (t) => {
    for (let i = 0; i < CAMMINI; i++) {
      const seme = SEME + i;
      console.log(`# walk seed ${seme}`);
      const esito = await camminoCasuale(banco, { seme });
      t.diagnostic(`seed ${seme}: ${esito.peggiore ? 'lost ' + esito.peggiore.perse.length : 'nothing lost'}`);
      if (esito.errore) throw esito.errore;
      assert.equal(esito.peggiore, null, esito.peggiore && `seed ${seme} (replay: PERDITE_SEME=${seme}):\n${resoconto(esito.peggiore)}`);
    }
  });
