// Hostile cards, made at run time from a real one: a minimal zip reader and writer that can lie
// about sizes, CRCs and methods, and the crafted files the card layer must refuse or bound.
import { constants, createDeflateRaw, deflateRawSync, inflateRawSync } from 'node:zlib';

const GIB = 1 << 30;
const MIB = 1 << 20;

export function leggiZip(buf) {
  let fine = buf.length - 22;
  while (buf.readUInt32LE(fine) !== 0x06054b50) fine--;
  const voci = [];
  let p = buf.readUInt32LE(fine + 16);
  for (let n = buf.readUInt16LE(fine + 10); n > 0; n--) {
    const lNome = buf.readUInt16LE(p + 28);
    const locale = buf.readUInt32LE(p + 42);
    const csize = buf.readUInt32LE(p + 20);
    const inizio = locale + 30 + buf.readUInt16LE(locale + 26) + buf.readUInt16LE(locale + 28);
    voci.push({
      nome: buf.toString('utf8', p + 46, p + 46 + lNome),
      metodo: buf.readUInt16LE(p + 10), crc: buf.readUInt32LE(p + 16), csize, size: buf.readUInt32LE(p + 24),
      dati: buf.subarray(inizio, inizio + csize),
    });
    p += 46 + lNome + buf.readUInt16LE(p + 30) + buf.readUInt16LE(p + 32);
  }
  return voci;
}

// Writes the entries exactly as given: whatever size, CRC or method they claim.
export function scriviZip(voci) {
  const locali = [];
  const centrale = [];
  let pos = 0;
  for (const v of voci) {
    const nome = Buffer.from(v.nome);
    const h = Buffer.alloc(30);
    h.writeUInt32LE(0x04034b50, 0);
    h.writeUInt16LE(20, 4);
    h.writeUInt16LE(v.metodo, 8);
    h.writeUInt32LE(v.crc >>> 0, 14);
    h.writeUInt32LE(v.dati.length, 18);
    h.writeUInt32LE(v.size >>> 0, 22);
    h.writeUInt16LE(nome.length, 26);
    const c = Buffer.alloc(46);
    c.writeUInt32LE(0x02014b50, 0);
    c.writeUInt16LE(20, 4);
    c.writeUInt16LE(20, 6);
    c.writeUInt16LE(v.metodo, 10);
    c.writeUInt32LE(v.crc >>> 0, 16);
    c.writeUInt32LE(v.dati.length, 20);
    c.writeUInt32LE(v.size >>> 0, 24);
    c.writeUInt16LE(nome.length, 28);
    c.writeUInt32LE(pos, 42);
    locali.push(h, nome, v.dati);
    centrale.push(c, nome);
    pos += 30 + nome.length + v.dati.length;
  }
  const dir = Buffer.concat(centrale);
  const e = Buffer.alloc(22);
  e.writeUInt32LE(0x06054b50, 0);
  e.writeUInt16LE(voci.length, 8);
  e.writeUInt16LE(voci.length, 10);
  e.writeUInt32LE(dir.length, 12);
  e.writeUInt32LE(pos, 16);
  return Buffer.concat([...locali, dir, e]);
}

const TABELLA = Array.from({ length: 256 }, (_, n) => {
  let c = n;
  for (let k = 0; k < 8; k++) c = c & 1 ? 0xEDB88320 ^ (c >>> 1) : c >>> 1;
  return c >>> 0;
});
function crc(buf) {
  let c = 0xFFFFFFFF;
  for (const b of buf) c = TABELLA[(c ^ b) & 0xFF] ^ (c >>> 8);
  return (c ^ 0xFFFFFFFF) >>> 0;
}

export function voceDi(nome, testo) {
  const grezzi = Buffer.from(testo);
  return { nome, metodo: 8, crc: crc(grezzi), size: grezzi.length, dati: deflateRawSync(grezzi) };
}

const FOGLIO = 'xl/worksheets/sheet1.xml';

// The card with its sheet text passed through `cambia`.
export function conFoglio(buf, cambia) {
  return scriviZip(leggiZip(buf).map((v) => (v.nome === FOGLIO ? voceDi(FOGLIO, cambia(inflateRawSync(v.dati).toString())) : v)));
}

// Raw deflate of `totale` zero bytes, streamed so that the bomb never sits in memory here.
async function zeriCompressi(totale) {
  const z = createDeflateRaw({ level: constants.Z_BEST_SPEED });
  const pezzi = [];
  z.on('data', (d) => pezzi.push(d));
  const fatto = new Promise((ok) => z.on('end', ok));
  const blocco = Buffer.alloc(4 * MIB);
  for (let scritti = 0; scritti < totale; scritti += blocco.length) {
    if (!z.write(blocco.subarray(0, Math.min(blocco.length, totale - scritti)))) await new Promise((ok) => z.once('drain', ok));
  }
  z.end();
  await fatto;
  return Buffer.concat(pezzi);
}

const sostituisci = (buf, nome, rifai) => scriviZip(leggiZip(buf).map((v) => (v.nome === nome ? rifai(v) : v)));

// The hostile cards, by name; `gonfio` is how much the bombs inflate to (1 GiB as found, less in tests).
export async function cardOstili(buf, gonfio = GIB) {
  const zeri = await zeriCompressi(gonfio);
  const foglio = leggiZip(buf).find((v) => v.nome === FOGLIO);
  const fine = '</sheetData>';
  const unioni = (refs) => (xml) => xml.replace(/<mergeCells[^]*?<\/mergeCells>|(?=<pageMargins)/, `<mergeCells count="${refs.length}">${refs.map((r) => `<mergeCell ref="${r}"/>`).join('')}</mergeCells>`);
  const colonna = (n) => { let s = ''; for (; n > 0; n = Math.floor((n - 1) / 26)) s = String.fromCharCode(65 + ((n - 1) % 26)) + s; return s; };
  return {
    'row number 1000000000000000': conFoglio(buf, (xml) => xml.replace(fine, '<row r="1000000000000000"><c r="A1000000000000000" t="inlineStr"><is><t>x</t></is></c></row>' + fine)),
    'zip bomb, size declared': sostituisci(buf, FOGLIO, (v) => ({ ...v, size: gonfio, dati: zeri })),
    'zip bomb, size hidden': sostituisci(buf, FOGLIO, (v) => ({ ...v, dati: zeri })),
    'zip bomb, spread over parts': scriviZip([...leggiZip(buf), ...[1, 2, 3, 4, 5].map((i) => ({ ...voceDi(`xl/media/image${i}.png`, ''), size: 15 * MIB }))]),
    'written in row 1048576': conFoglio(buf, (xml) => xml.replace(fine, '<row r="1048576"><c r="A1048576" t="inlineStr"><is><t>x</t></is></c></row>' + fine)),
    '20000 merges over the sheet': conFoglio(buf, unioni(Array(20000).fill('A1:XFD1048576'))),
    '200 tall merges': conFoglio(buf, unioni(Array.from({ length: 200 }, (_, i) => `${colonna(27 + i)}1:${colonna(27 + i)}1048576`))),
    'two parts of one name': scriviZip([...leggiZip(buf), voceDi(FOGLIO, '<worksheet xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><sheetData/></worksheet>')]),
    'bad CRC': sostituisci(buf, FOGLIO, (v) => ({ ...v, crc: v.crc ^ 1 })),
    'unknown method': sostituisci(buf, FOGLIO, (v) => ({ ...v, metodo: 12 })),
    'declared size lies': sostituisci(buf, FOGLIO, (v) => ({ ...v, size: foglio.size - 1 })),
  };
}
