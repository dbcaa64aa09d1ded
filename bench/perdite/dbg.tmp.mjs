import { avviaBanco, cammina, daTesto } from '../../tests/browser/perdite/cammino.mjs';
import { leggiArchivio } from '../../tests/browser/perdite/banco.mjs';
const banco = await avviaBanco();
const cmds = JSON.parse(process.argv[2]);
const da = Number(process.argv[3] || 0);
const spia = { check: () => true, async run(m, r) {
  for (const [i, p] of r.tab.entries()) if (p) console.log('   tab', i, JSON.stringify(await p.evaluate(() => ({ nome: nomeScheda(), posto: sk.posto, elenco: sk.elenco, mod: sk.mod, att: sk.attesa, salva: $('skSalva').textContent, msg: $('skMsg').textContent.slice(0,160) }))));
  const a = await leggiArchivio(r);
  console.log('   kv', Object.keys(a.kv).join(' '), '| file', Object.keys(a.file).join(' '), '| ls', Object.keys(a.locale).join(' '));
}, toString: () => 'spia' };
const con = daTesto(cmds).flatMap((c, i) => i >= da ? [c, spia] : [c]);
const esito = await cammina(banco, con, { registro: (t) => console.log(t) });
console.log(esito.perse.map((p) => p.carta + ' ' + p.cosa + ' ' + p.visto.join(' | ')));
console.log(esito.errori);
await banco.chiudi();
