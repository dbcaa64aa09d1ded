// Many seeded random walks over the card page, hunting for typed values that end up nowhere.
//   node bench/perdite/run.mjs [walks] [first seed] [shrink walks per loss]
//   node bench/perdite/run.mjs --comandi '[["Vista",0],["Ricarica",0]]'   (one walk, as written)
// Prints each walk's seed and commands, each loss with its shortest losing sequence found,
// and a summary of the walks run and the distinct losses.
import { avviaBanco, cammina, camminoCasuale, daTesto, resoconto } from '../../tests/browser/perdite/cammino.mjs';

if (process.argv[2] === '--comandi') {
  const banco = await avviaBanco();
  try {
    const esito = await cammina(banco, daTesto(JSON.parse(process.argv[3])), { registro: (t) => console.log(t) });
    console.log(esito.perse.length ? `PERDITA\n${resoconto(esito)}` : 'nessuna perdita');
  } finally {
    await banco.chiudi();
  }
  process.exit(0);
}

const N = Number(process.argv[2]) || 20;
const primo = Number(process.argv[3]) || (Date.now() % 1e9);
const TENTATIVI = Number(process.argv[4] ?? 12);
const dettagli = !!process.env.PERDITE_DIARIO;

const banco = await avviaBanco();
const perdite = [];
let bloccati = 0;
const inizio = Date.now();
try {
  for (let i = 0; i < N; i++) {
    const seme = primo + i;
    const t0 = Date.now();
    let esito;
    try {
      esito = await camminoCasuale(banco, { seme, tentativi: TENTATIVI, registro: dettagli ? (t) => console.log(t) : () => {} });
    } catch (e) {
      bloccati++;
      console.log(`seme ${seme}: il cammino si è fermato: ${e.message}\n${(e.diario || []).join('\n')}`);
      continue;
    }
    const s = ((Date.now() - t0) / 1000).toFixed(0);
    if (esito.errore) {
      bloccati++;
      console.log(`seme ${seme}: errore del cammino (${s} s): ${esito.errore.message}`);
    } else if (esito.peggiore) {
      perdite.push({ seme, ...esito.peggiore });
      console.log(`seme ${seme}: PERDITA (${esito.corse} cammini, ${s} s)\n${resoconto(esito.peggiore)}\n`);
    } else console.log(`seme ${seme}: nessuna perdita (${s} s)`);
  }
} finally {
  await banco.chiudi();
}
const min = ((Date.now() - inizio) / 60000).toFixed(1);
console.log(`\n${N} cammini (semi ${primo}…${primo + N - 1}) in ${min} min: ${perdite.length} con perdite, ${bloccati} fermati.`);
for (const p of perdite) {
  const cosa = p.perse.map((x) => `${x.carta} ${x.cosa}`).join('; ');
  console.log(`- seme ${p.seme}: ${cosa}\n  ${p.diario.filter((r) => /^\d+\. /.test(r)).map((r) => r.replace(/^\d+\. /, '')).join(', ')}`);
}
