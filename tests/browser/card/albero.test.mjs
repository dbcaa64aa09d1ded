// The light tree the card layer reads sheets into, checked against the browser's own XML parser,
// and cards spelled in unusual but valid ways, checked by openpyxl after each operation.
import assert from 'node:assert/strict';
import { after, before, describe, test } from 'node:test';
import { inflateRawSync } from 'node:zlib';
import { leggiZip, scriviZip, voceDi } from './ostili.mjs';
import { apriPagina, fixture, inPagina, leggiConPython } from './pagina.mjs';

let p;
before(async () => { p = await apriPagina(); });
after(async () => { await p.chiudi(); });

const M = 'xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"';

// Valid XML in the spellings a writer may choose.
const VALIDI = {
  'prefixed names': '<x:worksheet xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"><x:sheetData><x:row r="1"><x:c r="A1" t="inlineStr"><x:is><x:t>a</x:t></x:is></x:c></x:row></x:sheetData></x:worksheet>',
  'quotes, spaces and attribute order': `<?xml version='1.0' encoding='UTF-8'?>\n<worksheet ${M}>\n  <sheetData>\n    <row spans='1:2'  r = "3"\n\t><c s="0" r='B3'><v>1</v></c></row>\n    <row r="4"/>\n  </sheetData >\n</worksheet>\n`,
  'entities, CDATA and > in text': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&amp; &lt;b&gt; &#233; &#x1F600; &quot;x&apos; a > b</t></is></c><c r="B1" t="inlineStr"><is><t><![CDATA[a<b & c]]></t></is></c></row></sheetData></worksheet>`,
  'whitespace and entities in attribute values': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="str"><f>"a&#10;b"</f><v ab="x\ty&#9;z&#13;w\r\nv">q</v></c></row></sheetData></worksheet>`,
  'quotes in single-quoted values, entities a neighbour repeats': `<worksheet ${M}><sheetData><row r="1"><c r="A1" s="&#49;"><v q='say "hi" &amp; go'>1</v></c><c r="B1" s="&#49;"/><c r="C1" s="1"/></row></sheetData></worksheet>`,
  'comments and instructions among rows': `<!-- before --><worksheet ${M}><sheetData><!-- a row --><row r="1"><?mark x?><c r="A1"><v>2</v></c></row><![CDATA[ ]]></sheetData></worksheet><!-- after -->`,
  'rows and cells without a reference': `<worksheet ${M}><sheetData><row><c t="inlineStr"><is><t>a</t></is></c><c><v>1</v></c></row><row/><row><c/></row></sheetData></worksheet>`,
  'runs and phonetic text in a string': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><r><rPr><b/></rPr><t xml:space="preserve"> bold </t></r><r><t>plain</t></r><rPh sb="0" eb="1"><t>ignored</t></rPh></is></c></row></sheetData></worksheet>`,
};

// Each one damaged XML: the light tree must not take it.
const ROTTI = {
  'unclosed element': `<worksheet ${M}><sheetData></worksheet>`,
  'end tag of another element': `<worksheet ${M}><sheetData></sheetDat></worksheet>`,
  'space before an end tag name': `<worksheet ${M}><sheetData></ sheetData></worksheet>`,
  'unquoted attribute': `<worksheet ${M}><sheetData><row r=1/></sheetData></worksheet>`,
  'attribute twice': `<worksheet ${M}><sheetData><row r="1" r="2"/></sheetData></worksheet>`,
  'attributes without space between': `<worksheet ${M}><sheetData><row r="1"spans="1:2"/></sheetData></worksheet>`,
  '< in an attribute value': `<worksheet ${M}><sheetData><row r="<1"/></sheetData></worksheet>`,
  'unknown entity': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&nbsp;</t></is></c></row></sheetData></worksheet>`,
  'bare ampersand': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a & b</t></is></c></row></sheetData></worksheet>`,
  'reference to a character XML cannot hold': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>&#0;</t></is></c></row></sheetData></worksheet>`,
  'surrogate reference': `<worksheet ${M}><sheetData><row r="&#xD800;"/></sheetData></worksheet>`,
  'control character': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a\u0001</t></is></c></row></sheetData></worksheet>`,
  ']]> in text': `<worksheet ${M}><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>a]]>b</t></is></c></row></sheetData></worksheet>`,
  '-- in a comment': `<worksheet ${M}><!-- a -- b --><sheetData/></worksheet>`,
  'unterminated comment': `<worksheet ${M}><!-- a <sheetData/></worksheet>`,
  'text after the root': `<worksheet ${M}><sheetData/></worksheet>x`,
  'two roots': `<worksheet ${M}><sheetData/></worksheet><worksheet ${M}/>`,
  'name starting with a digit': `<worksheet ${M}><1row/><sheetData/></worksheet>`,
  'nothing but a declaration': '<?xml version="1.0"?>',
  'a declaration after the start': `<!-- x --><?xml version="1.0"?><worksheet ${M}><sheetData/></worksheet>`,
  'no-break space before the root': `\u00A0<worksheet ${M}><sheetData/></worksheet>`,
  'undeclared element prefix': `<worksheet ${M}><sheetData><y:row r="1"/></sheetData></worksheet>`,
  'undeclared attribute prefix': `<worksheet ${M}><sheetData><row r="1" y:dy="0.25"/></sheetData></worksheet>`,
};

describe('the light tree reads what the browser reads and writes back what it was given', () => {
  for (const [nome, xml] of Object.entries(VALIDI)) {
    test(nome, async () => {
      const r = await inPagina(p.page, Buffer.alloc(0), async (_, xml) => {
        const doc = alberoXml(xml);
        if (!doc) return { letto: false };
        const dom = new DOMParser().parseFromString(xml, 'application/xml');
        // Elements in document order, with their attributes and, for leaves, their text, on both sides.
        const elenco = (el, attributi) => {
          const visti = [];
          const visita = (e) => {
            const nomi = attributi(e);
            visti.push([e.localName, nomi.map((n) => [n, e.getAttribute(n)]), e.firstElementChild ? null : e.textContent]);
            for (let c = e.firstElementChild; c; c = c.nextElementSibling) visita(c);
          };
          visita(el);
          return visti;
        };
        const daDom = elenco(dom.documentElement, (e) => Array.from(e.attributes, (a) => a.name));
        const daAlbero = elenco(doc.documentElement, (e) => e.attributi.filter((_, i) => i % 2 === 0));
        const intatto = doc.serializza();
        // Every element touched: each one is written from its parts, none from its source bytes.
        for (const e of [doc.documentElement, ...doc.documentElement.getElementsByTagNameNS('*', '*')]) e.cambiato();
        for (let c = doc.documentElement.firstChild; c; c = c.nextSibling) c.nodeType === 1 && c.cambiato();
        const tutti = [doc.documentElement];
        for (let i = 0; i < tutti.length; i++) for (let c = tutti[i].firstElementChild; c; c = c.nextElementSibling) { c.cambiato(); tutti.push(c); }
        const riscritto = doc.serializza();
        const canonico = (testo) => new XMLSerializer().serializeToString(new DOMParser().parseFromString(testo, 'application/xml'));
        return { letto: true, uguali: JSON.stringify(daDom) === JSON.stringify(daAlbero), daDom, daAlbero, intatto: intatto === xml, riscrittoUguale: canonico(riscritto) === canonico(xml), riscritto };
      }, xml);
      assert.ok(r.letto, 'read by the light tree');
      assert.deepEqual(r.daAlbero, r.daDom);
      assert.ok(r.intatto, 'untouched, it is its source again');
      assert.ok(r.riscrittoUguale, `written from its parts, it reads the same: ${r.riscritto}`);
    });
  }

  test('damaged XML is never taken, and reaches the user as the XML error', async () => {
    const r = await inPagina(p.page, Buffer.alloc(0), async (_, rotti) => Object.fromEntries(Object.entries(rotti).map(([nome, xml]) => {
      let errore = null;
      try { xmlAlbero(xml); } catch (e) { errore = e.message; }
      return [nome, { preso: alberoXml(xml) !== null, errore }];
    })), ROTTI);
    for (const [nome, esito] of Object.entries(r)) assert.deepEqual(esito, { preso: false, errore: 'il file .xlsx contiene XML che non riesco a leggere' }, nome);
  });

  test('a doctype, deep nesting and a crowd of attributes go to the browser, which still reads them', async () => {
    const profondo = `<worksheet ${M}><sheetData/><extLst>${'<a>'.repeat(500)}${'</a>'.repeat(500)}</extLst></worksheet>`;
    const conDoctype = `<!DOCTYPE worksheet><worksheet ${M}><sheetData/></worksheet>`;
    const affollato = `<worksheet ${M}><sheetData><row r="1" ${Array.from({ length: 20000 }, (_, i) => `a${i}="1"`).join(' ')}/></sheetData></worksheet>`;
    const r = await inPagina(p.page, Buffer.alloc(0), async (_, xml) => xml.map((t) => [alberoXml(t), xmlAlbero(t) instanceof Document]), [profondo, conDoctype, affollato]);
    assert.deepEqual(r, [[null, true], [null, true], [null, true]]);
  });
});

test('the UTF-8 writer gives the platform encoder\'s bytes, however the pieces fall and the buffer grows', async () => {
  const r = await inPagina(p.page, Buffer.alloc(0), async () => {
    const lunga = 'x'.repeat(70) + 'é😀' + 'y'.repeat(100000) + '€';
    const pezzi = ['<a', 'àè', '', 'b'.repeat(64), 'c'.repeat(63) + 'ñ', lunga, '\uD800 lone', 'z'];
    // Started far too small, so that every way of growing is taken.
    const w = new ScritturaUtf8(4);
    w.ascii(60);
    for (const t of pezzi) w.testo(t);
    w.tratto(lunga, 69, 75);
    w.tratto(lunga, 5, 5);
    w.attributo('r', 'A1');
    w.attributo('x', 'ü');
    w.attributo('y', 'v'.repeat(80));
    const attributi = ' r="A1" x="ü" y="' + 'v'.repeat(80) + '"';
    const atteso = new TextEncoder().encode('<' + pezzi.join('') + lunga.slice(69, 75) + attributi);
    const uguali = w.grezzi.length === atteso.length && w.grezzi.every((b, i) => b === atteso[i]);
    // A light tree written from its parts: text and bytes agree, and the tree then points into that text.
    const doc = alberoXml('<worksheet><sheetData><row r="1"><c r="A1" t="inlineStr"><is><t>Però 😀 già</t></is></c></row></sheetData></worksheet>');
    const c = doc.getElementsByTagNameNS('*', 'c')[0];
    c.setAttribute('s', 'ä');
    const { testo, grezzi } = doc.scriviUtf8(true);
    const t = doc.getElementsByTagNameNS('*', 't')[0];
    return { uguali, n: w.grezzi.length, testo, decodificato: new TextDecoder().decode(grezzi), dentro: testo.slice(t.da, t.a) };
  });
  assert.ok(r.uguali, `bytes as the encoder writes them (${r.n})`);
  assert.equal(r.decodificato, r.testo);
  assert.match(r.testo, /<c r="A1" t="inlineStr" s="ä"><is><t>Però 😀 già<\/t><\/is><\/c>/);
  assert.equal(r.dentro, '<t>Però 😀 già</t>');
});

test('cells read without their children read, change and write as the cells the reader opens', async () => {
  const xml = `<worksheet ${M}><sheetData><row r="1">`
    + '<c r="A1" t="inlineStr"><is><t>&amp;a &#233; ]] &gt;</t></is></c><c r="B1" t="inlineStr"><is><t xml:space="preserve"> b </t></is></c>'
    + '<c r="C1" t="s"><v>1</v></c><c r="D1"><v>2.5</v></c><c r="E1" t="s"><v></v></c><c r="F1" t="inlineStr"><v>9</v></c>'
    + '<c r="G1" t="n"><is><t>x</t></is></c><c r="H1" t="s"><v>7</v></c><c r="I1" t="str"><f>A1</f><v>q</v></c>'
    + '</row><row r="2"><c r="A2"><v>3</v></c><c r="B2" t="inlineStr"><is><t>due</t></is></c></row></sheetData></worksheet>';
  const r = await inPagina(p.page, Buffer.alloc(0), async (_, xml) => {
    const ss = ['zero', 'uno'];
    const testi = (doc) => xmlTutti(doc, 'c').map((c) => testoCella(c, ss));
    const dom = testi(new DOMParser().parseFromString(xml, 'application/xml'));
    const doc = alberoXml(xml);
    const kept = xmlTutti(doc, 'c').filter((c) => c.pigro).length;
    const letti = testi(doc);
    const tInTree = xmlTutti(doc, 't').map((t) => t.textContent);
    const tInDom = xmlTutti(new DOMParser().parseFromString(xml, 'application/xml'), 't').map((t) => t.textContent);
    // A change ahead of row 2 moves it in the text written; its cells must be read at their new place.
    const [a1] = xmlTutti(doc, 'c');
    a1.setAttribute('s', '12345');
    const row2 = xmlTutti(doc, 'row')[1];
    const scritto = doc.serializza(true);
    const dopo = testi(doc);
    // Taken out, written without it, and put back: the row's cells still read as before.
    row2.remove();
    const senza = doc.serializza(true);
    xmlTutti(doc, 'sheetData')[0].append(row2);
    const rimesso = testi(doc);
    const c2 = row2.firstChild;
    xmlFiglio(c2, 'v').textContent = '4';
    return { dom, kept, letti, tInTree, tInDom, dopo, rimesso, scritto, senza, finale: doc.serializza() };
  }, xml);
  assert.equal(r.kept, 10);
  assert.deepEqual(r.letti, r.dom);
  assert.deepEqual(r.letti, ['&a é ]] >', ' b ', 'uno', '2.5', 'zero', '', '', '', 'q', '3', 'due']);
  assert.deepEqual(r.tInTree, r.tInDom);
  assert.deepEqual(r.dopo, r.letti);
  assert.deepEqual(r.rimesso, r.letti);
  assert.equal(r.scritto, xml.replace('<c r="A1" t="inlineStr">', '<c r="A1" t="inlineStr" s="12345">'));
  assert.ok(!r.senza.includes('r="2"'));
  assert.ok(r.finale.endsWith('<row r="2"><c r="A2"><v>4</v></c><c r="B2" t="inlineStr"><is><t>due</t></is></c></row></sheetData></worksheet>'), r.finale);
});

// The card with each named part passed through its function.
function conParti(bytes, cambi) {
  return scriviZip(leggiZip(bytes).map((v) => (cambi[v.nome] ? voceDi(v.nome, cambi[v.nome](inflateRawSync(v.dati).toString())) : v)));
}

// Texts without entities as CDATA, the main namespace under a prefix, and single quotes.
const STRANO = {
  'xl/worksheets/sheet1.xml': (xml) => xml
    .replace(/<t>([^<&]*)<\/t>/g, '<t><![CDATA[$1]]></t>')
    .replace(/<(\/?)(?!\?)([A-Za-z]+)([\s>/])/g, '<$1x:$2$3')
    .replace('xmlns="http://schemas.openxmlformats.org/spreadsheetml/2006/main"', 'xmlns:x="http://schemas.openxmlformats.org/spreadsheetml/2006/main"')
    .replace(/ ([\w:]+)="([^"']*)"/g, " $1='$2'"),
};

test('a card in unusual spellings gets the same weeks, cells and look as the plain one', { timeout: 120000 }, async () => {
  const semplice = fixture(p.temp, 'simple.xlsx');
  const strana = conParti(semplice, STRANO);
  const operazioni = async (b) => {
    const settimana = await nuovaSettimana(b, new Date(2026, 11, 7));
    return { settimana: settimana.file, celle: await scriviCelle(b, { E8: '62,5', B9: 'Panca & manubri <piana>' }), aspetto: await abbellisciScheda(b) };
  };
  const [daSemplice, daStrana] = [
    await inPagina(p.page, semplice, operazioni),
    await inPagina(p.page, strana, async (b, sorgente) => {
      const x = await apriPacchetto(b);
      const albero = alberoXml(x.testo);
      return { ...(await (0, eval)(`(${sorgente})`)(b)), prefisso: albero && albero.documentElement.nodeName, cdata: x.testo.includes('<![CDATA['), apici: x.testo.includes("r='A1'") };
    }, operazioni.toString()),
  ];
  assert.deepEqual([daStrana.prefisso, daStrana.cdata, daStrana.apici], ['x:worksheet', true, true], 'the light tree read the unusual sheet');
  for (const op of ['settimana', 'celle', 'aspetto']) {
    const a = leggiConPython(p.temp, daSemplice[op], 'semplice.xlsx').foglio;
    const b = leggiConPython(p.temp, daStrana[op], 'strana.xlsx').foglio;
    for (const k of ['celle', 'unioni', 'dimensione', 'viste', 'altezze', 'larghezze']) assert.deepEqual(b[k], a[k], `${op}: ${k}`);
  }
});
