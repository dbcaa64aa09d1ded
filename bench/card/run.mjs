// Card operations on the 52-week card, timed in Chromium against exceljs doing the same
// read-modify-write in the same page. Prints absolute medians and ratios; no pass or fail.
//   node bench/card/run.mjs [rounds]
import { dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { apriPagina, fixture, inPagina } from '../../tests/browser/card/pagina.mjs';

const giri = Number(process.argv[2]) || 15;
const radice = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const p = await apriPagina();
try {
  await p.page.addScriptTag({ path: join(radice, 'node_modules', 'exceljs', 'dist', 'exceljs.min.js') });
  const esito = await inPagina(p.page, fixture(p.temp, 'year-card.xlsx'), async (anno, giri) => {
    const DIECI = ['E631', 'F631', 'G631', 'H631', 'I631', 'J631', 'R631', 'S631', 'T631', 'U631'];
    const cambi = Object.fromEntries(DIECI.map((r, i) => [r, String(60 + i) + ',5']));

    // exceljs: the same three edits through its workbook model.
    const apri = async () => {
      const wb = new ExcelJS.Workbook();
      await wb.xlsx.load(anno);
      return [wb, wb.worksheets[wb.views?.[0]?.activeTab ?? 0] ?? wb.worksheets[0]];
    };
    const ultimaSettimana = (ws) => {
      let titolo = 0;
      ws.eachRow((row, n) => row.eachCell((c) => { if (/^\d+\s*[°ºª^]?\s*SETTIMANA\b/i.test(String(c.value ?? '').trim())) titolo = n; }));
      return { da: titolo - 1, fine: ws.rowCount };
    };
    const conExceljs = {
      async settimana() {
        const [wb, ws] = await apri();
        const { da, fine } = ultimaSettimana(ws);
        const salto = fine + 2 - da;
        let testa = 0;
        const colonne = new Set();
        for (let n = da; n <= fine; n++) ws.getRow(n).eachCell((c, col) => { if (/^(carico|reps)$/i.test(String(c.value ?? '').trim())) { testa = n; colonne.add(col); } });
        for (let n = da; n <= fine; n++) {
          const sorgente = ws.getRow(n);
          const copia = ws.getRow(n + salto);
          copia.height = sorgente.height;
          sorgente.eachCell({ includeEmpty: true }, (c, col) => {
            const nuova = copia.getCell(col);
            nuova.style = c.style;
            nuova.value = n > testa && colonne.has(col) ? null : c.value;
          });
        }
        ws.getCell(da + 1 + salto, 1).value = '53° SETTIMANA 31 AGOSTO-6 SETTEMBRE';
        for (const ref of Object.keys(ws._merges)) {
          const m = ws._merges[ref].model;
          if (m.top >= da && m.bottom <= fine) ws.mergeCells(m.top + salto, m.left, m.bottom + salto, m.right);
        }
        return wb.xlsx.writeBuffer();
      },
      async celle() {
        const [wb, ws] = await apri();
        for (const [ref, testo] of Object.entries(cambi)) ws.getCell(ref).value = Number(testo.replace(',', '.'));
        return wb.xlsx.writeBuffer();
      },
      async aspetto() {
        const [wb, ws] = await apri();
        const bordo = { style: 'thin', color: { argb: 'FFD6D6DE' } };
        ws.eachRow({ includeEmpty: true }, (row) => {
          row.height = 24;
          row.eachCell((c) => {
            c.font = { name: 'Calibri', size: 11, bold: true, color: { argb: 'FF16161A' } };
            c.fill = { type: 'pattern', pattern: 'solid', fgColor: { argb: 'FFF4F4F7' } };
            c.border = { left: bordo, right: bordo, top: bordo, bottom: bordo };
            c.alignment = { horizontal: 'center', vertical: 'middle', wrapText: true };
          });
        });
        ws.columns.forEach((col) => { col.width = 12.28515625; });
        ws.views = [{ showGridLines: false }];
        return wb.xlsx.writeBuffer();
      },
    };
    const nostre = {
      settimana: () => nuovaSettimana(anno, new Date(2026, 7, 31)),
      celle: () => scriviCelle(anno, cambi),
      aspetto: () => abbellisciScheda(anno),
    };
    const tempo = async (fn) => {
      const t = performance.now();
      const r = await fn();
      if (r instanceof Blob) await r.arrayBuffer();
      return performance.now() - t;
    };
    const mediana = (tempi) => [...tempi].sort((a, b) => a - b)[Math.floor(tempi.length / 2)];
    // Rounds alternate between the two sides so that both meet the same machine load.
    const confronta = async (nostra, loro) => {
      await nostra();
      if (loro) await loro();
      const a = [];
      const b = [];
      for (let i = 0; i < giri; i++) {
        a.push(await tempo(nostra));
        if (loro) b.push(await tempo(loro));
      }
      return { nostra: mediana(a), exceljs: loro ? mediana(b) : NaN };
    };
    const foglio = await zipTesto(zipLeggi(anno).find((v) => v.nome === 'xl/worksheets/sheet1.xml'));
    const righe = [{ nome: 'parse', ...(await confronta(async () => xmlLeggi(foglio))) }];
    for (const nome of ['settimana', 'celle', 'aspetto']) righe.push({ nome, ...(await confronta(nostre[nome], conExceljs[nome])) });
    return righe;
  }, giri);
  const nomi = { settimana: 'add a week', celle: 'write ten cells', aspetto: 'restyle' };
  console.log(`year-card.xlsx (52 weeks), median of ${giri} alternating rounds after one warm-up, Chromium ${await p.page.evaluate(() => navigator.userAgent.match(/Chrome\/([\d.]+)/)?.[1])}`);
  console.log('operation          card layer   exceljs 4.4.0   exceljs / card layer');
  const [parse, ...operazioni] = esito;
  for (const r of operazioni) {
    console.log(`${nomi[r.nome].padEnd(18)} ${r.nostra.toFixed(1).padStart(8)} ms ${r.exceljs.toFixed(1).padStart(11)} ms ${(r.exceljs / r.nostra).toFixed(1).padStart(14)}x`);
  }
  console.log(`(parsing the 52-week sheet alone with the browser's XML parser: ${parse.nostra.toFixed(1)} ms of each card-layer operation)`);
} finally {
  await p.chiudi();
}
