// Where the typed values went: every version of each card found in raw storage (browser copy
// with its overlay of typed boxes, linked file, cloud object, every backup record of either
// layout), decoded in node, and the model's values looked up in them.
import { createHash } from 'node:crypto';
import ExcelJS from 'exceljs';

const letti = new Map();

// Cell texts of the first sheet, and every text of the workbook (for week titles).
export async function celleDi(bytes) {
  const chiave = createHash('sha1').update(bytes).digest('hex');
  if (letti.has(chiave)) return letti.get(chiave);
  const wb = new ExcelJS.Workbook();
  let risultato;
  try {
    await wb.xlsx.load(bytes);
    const celle = new Map();
    const testi = new Set();
    wb.worksheets.forEach((ws, i) => ws.eachRow({ includeEmpty: false }, (row) => row.eachCell({ includeEmpty: false }, (c) => {
      const t = normale(valoreDi(c.value));
      if (i === 0) celle.set(c.address, t);
      testi.add(t);
    })));
    risultato = { celle, testi };
  } catch (e) {
    risultato = { celle: new Map(), testi: new Set(), illeggibile: String(e && e.message) };
  }
  letti.set(chiave, risultato);
  return risultato;
}

function valoreDi(v) {
  if (v === null || v === undefined) return '';
  if (typeof v !== 'object') return v;
  if (v instanceof Date) return v.toISOString();
  if (Array.isArray(v.richText)) return v.richText.map((r) => r.text).join('');
  if ('result' in v) return valoreDi(v.result);
  if ('text' in v) return v.text;
  return JSON.stringify(v);
}

// "85", 85 and "85,0" are the same load.
export function normale(v) {
  const t = String(v ?? '').trim();
  const n = Number(t.replace(',', '.'));
  return t !== '' && Number.isFinite(n) ? String(n) : t;
}

const eByte = (v) => Buffer.isBuffer(v) || v instanceof Uint8Array;

// The card's identity splits into its scope ("dispositivo" or "cloud:{folder}") and name.
export function parti(carta) {
  const i = carta.indexOf('|');
  return { ambito: carta.slice(0, i), nome: carta.slice(i + 1) };
}

// Backup records of a card: "bak:{identity}" lists or single records, or the older one-per-name
// "bak_foglio:{name}" record; a record belongs by its own name and place.
export function backupDi(kv, carta) {
  const { ambito, nome } = parti(carta);
  const trovati = [];
  for (const [chiave, valore] of Object.entries(kv)) {
    if (!chiave.startsWith('bak')) continue;
    const record = Array.isArray(valore) ? valore : [valore];
    for (const r of record) {
      if (!r || typeof r !== 'object' || !eByte(r.dati)) continue;
      const dove = typeof r.dove === 'string' ? r.dove : '';
      const suo = chiave.startsWith('bak:') ? chiave === 'bak:' + carta
        : r.nome === nome && (ambito === 'dispositivo' ? !dove.startsWith('cloud') : dove === ambito || dove === 'cloud');
      if (suo) {
        trovati.push({ dove: `${chiave} (${r.perche || '?'})`, dati: r.dati });
      }
    }
  }
  return trovati;
}

// Every version of a card that still holds what was typed: its place(s) and its backups.
export async function versioniDi(archivio, carta, originale) {
  const { ambito, nome } = parti(carta);
  const versioni = [];
  if (ambito === 'dispositivo') {
    const copia = archivio.kv['copia:' + nome];
    const mod = archivio.kv['mod:' + nome];
    // Without a stored copy the typed boxes lie over the reserve copy, or the card read beside the page.
    const base = [copia, archivio.kv['cache:' + nome], archivio.kv['sito:' + nome]].find(eByte) || originale;
    if (eByte(copia) || (mod && typeof mod === 'object')) {
      const letto = await celleDi(base);
      const celle = new Map(letto.celle);
      if (mod && typeof mod === 'object' && !Array.isArray(mod)) for (const [rif, t] of Object.entries(mod)) celle.set(rif, normale(t));
      versioni.push({ dove: 'copia del browser', celle, testi: new Set([...letto.testi, ...celle.values()]) });
    }
    if (archivio.file[nome]) versioni.push({ dove: 'file collegato', ...(await celleDi(archivio.file[nome])) });
  } else {
    const oggetto = archivio.cloud.get(ambito.slice('cloud:'.length) + '/' + nome);
    if (oggetto) versioni.push({ dove: 'oggetto nel cloud', ...(await celleDi(oggetto)) });
  }
  for (const b of backupDi(archivio.kv, carta)) versioni.push({ dove: 'backup ' + b.dove, ...(await celleDi(b.dati)) });
  return versioni;
}

// The losses: typed values and added week titles found in no version of their card.
export async function perdite(modello, archivio, originale) {
  const versioni = new Map();
  const di = async (carta) => {
    if (!versioni.has(carta)) versioni.set(carta, await versioniDi(archivio, carta, originale));
    return versioni.get(carta);
  };
  const perse = [];
  for (const v of modello.valori.values()) {
    const vv = await di(v.carta);
    if (!vv.some((x) => x.celle.get(v.cella) === normale(v.valore))) {
      perse.push({ ...v, cosa: `${v.cella}=${v.valore}`, visto: vv.map((x) => `${x.dove}: ${x.celle.get(v.cella) ?? '(vuota)'}`) });
    }
  }
  for (const t of modello.titoli.values()) {
    const vv = await di(t.carta);
    if (!vv.some((x) => x.testi.has(normale(t.titolo)))) perse.push({ ...t, cosa: `settimana «${t.titolo}»`, visto: vv.map((x) => x.dove) });
  }
  return perse;
}

// The page told the member it was saved.
export const dettoSalvato = (detto) => /Salvato[^✓]*✓/.test(`${detto?.salva || ''} ${detto?.stilaro || ''}`);

export function descriviPerdite(perse) {
  return perse.map((p) => `- ${p.carta}: ${p.cosa} (${p.attore}, passo ${p.passo}: ${p.comando})\n`
    + `    la pagina diceva: ${JSON.stringify(p.detto)}${dettoSalvato(p.detto) ? '  ← «Salvato ✓» per un valore perso' : ''}`
    + `${p.domanda ? '  (perso dopo che il membro ha lasciato la pagina alla sua domanda)' : ''}\n`
    + `    trovato invece: ${p.visto.join(' | ') || 'nessuna versione'}`).join('\n');
}
