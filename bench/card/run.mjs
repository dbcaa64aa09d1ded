// Card operations on the 52-week card, timed in Chromium against exceljs doing the same
// read-modify-write in the same page. Each round runs the card layer cold (its caches emptied, as for
// bytes never seen), warm (the same bytes again), on bytes it has just written (ten other cells
// written first, untimed), then exceljs; medians of the rounds, ratios,
// and where the time goes: CPU profiles per operation and side from Chromium's sampling profiler.
// Numbers only, no pass or fail.
//   node bench/card/run.mjs [rounds]
import { basename, dirname, join } from 'node:path';
import { fileURLToPath } from 'node:url';
import { apriPagina, fixture, inPagina } from '../../tests/browser/card/pagina.mjs';

const giri = Number(process.argv[2]) || 15;
const GIRI_PROFILO = 8;
const radice = join(dirname(fileURLToPath(import.meta.url)), '..', '..');
const p = await apriPagina();
try {
  await p.page.addScriptTag({ path: join(radice, 'node_modules', 'exceljs', 'dist', 'exceljs.min.js') });
  // The operations, kept in the page under `banco`: each round is one call from here, so that the
  // profiler can be started and stopped around them.
  await inPagina(p.page, fixture(p.temp, 'year-card.xlsx'), async (anno) => {
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
      settimana: (b) => nuovaSettimana(b, new Date(2026, 7, 31)),
      celle: (b) => scriviCelle(b, cambi),
      aspetto: (b) => abbellisciScheda(b),
    };
    // The write before a 'scritto' run: other cells of the same week.
    const prima = Object.fromEntries(DIECI.map((r, i) => [r.replace('631', '632'), String(40 + i)]));
    const foglio = await zipTesto(zipLeggi(anno).find((v) => v.nome === 'xl/worksheets/sheet1.xml'));
    const letture = { dom: () => xmlLeggi(foglio), albero: () => (typeof alberoXml === 'function' ? alberoXml(foglio) : null) };
    window.banco = {
      // The bytes of the next run on side `lato` ('freddo', 'caldo', 'scritto', 'exceljs' or
      // 'lettura'), made ready outside the time and the profile.
      async prepara(lato) {
        // An older page, measured for comparison, may lack some of the caches.
        if (lato === 'freddo') {
          if (typeof FOGLI_LETTI !== 'undefined') FOGLI_LETTI.clear();
          if (typeof MISURE !== 'undefined') MISURE.clear();
        }
        this.bytes = lato === 'scritto' ? await scriviCelle(anno, prima) : anno;
      },
      // Milliseconds of one run on the bytes made ready.
      async esegui(lato, nome) {
        const fn = lato === 'exceljs' ? conExceljs[nome] : lato === 'lettura' ? letture[nome] : nostre[nome];
        const t = performance.now();
        const r = await fn(this.bytes);
        const file = r && r.file ? r.file : r;
        if (file instanceof Blob) await file.arrayBuffer();
        return performance.now() - t;
      },
    };
  });

  const prepara = (lato) => p.page.evaluate((l) => banco.prepara(l), lato);
  const esegui = (lato, nome) => p.page.evaluate(([l, n]) => banco.esegui(l, n), [lato, nome]);
  const tempo = async (lato, nome) => {
    await prepara(lato);
    return esegui(lato, nome);
  };
  const mediana = (tempi) => [...tempi].sort((a, b) => a - b)[Math.floor(tempi.length / 2)];
  // Rounds alternate between the sides so that all meet the same machine load.
  const confronta = async (nome, lati) => {
    for (const lato of lati) await tempo(lato, nome);
    const tempi = Object.fromEntries(lati.map((l) => [l, []]));
    for (let i = 0; i < giri; i++) for (const lato of lati) tempi[lato].push(await tempo(lato, nome));
    return Object.fromEntries(lati.map((l) => [l, mediana(tempi[l])]));
  };

  // Self time by function per run of one operation, for each of the card layer's sides: a few runs
  // of each, each under the sampling profiler from its start to its end.
  const cdp = await p.page.context().newCDPSession(p.page);
  await cdp.send('Profiler.enable');
  await cdp.send('Profiler.setSamplingInterval', { interval: 100 });
  const LATI_PROFILO = ['freddo', 'caldo', 'scritto'];
  const profiloDi = async (nome, lato) => {
    const proprio = new Map();
    for (let giro = 0; giro < GIRI_PROFILO; giro++) {
      await prepara(lato);
      await cdp.send('Profiler.start');
      await esegui(lato, nome);
      const { profile } = await cdp.send('Profiler.stop');
      const perNodo = new Map(profile.nodes.map((n) => [n.id, n.callFrame]));
      // The samples before the run's first JavaScript and after its last are the profiler's own round trips.
      const js = (id) => !/^\((program|idle|root)\)$/.test(perNodo.get(id).functionName);
      const primo = profile.samples.findIndex(js);
      const ultimo = profile.samples.findLastIndex(js);
      for (let i = primo; i >= 0 && i <= ultimo; i++) {
        const f = perNodo.get(profile.samples[i]);
        const chiave = f.url ? `${f.functionName || '(anonymous)'} (${basename(f.url)}:${f.lineNumber + 1})` : f.functionName || '(anonymous)';
        proprio.set(chiave, (proprio.get(chiave) || 0) + (profile.timeDeltas[i + 1] || 0) / 1000 / GIRI_PROFILO);
      }
    }
    proprio.delete('(idle)');
    return proprio;
  };
  // The functions that take most over the three sides, with their time on each.
  const profilo = async (nome) => {
    const perLato = [];
    for (const lato of LATI_PROFILO) perLato.push(await profiloDi(nome, lato));
    const funzioni = new Set(perLato.flatMap((m) => [...m.keys()]));
    const somma = (f) => perLato.reduce((t, m) => t + (m.get(f) || 0), 0);
    const righe = [...funzioni].sort((a, b) => somma(b) - somma(a)).slice(0, 16).map((f) => [f, perLato.map((m) => m.get(f) || 0)]);
    righe.push(['(all sampled)', perLato.map((m) => [...m.values()].reduce((t, v) => t + v, 0))]);
    return righe;
  };

  const nomi = { settimana: 'add a week', celle: 'write ten cells', aspetto: 'restyle' };
  const righe = [];
  for (const nome of Object.keys(nomi)) righe.push({ nome, ...(await confronta(nome, ['freddo', 'caldo', 'scritto', 'exceljs'])) });
  const lettura = await confronta('dom', ['lettura']);
  const albero = await confronta('albero', ['lettura']);
  const profili = {};
  for (const nome of Object.keys(nomi)) profili[nome] = await profilo(nome);

  const chromium = await p.page.evaluate(() => navigator.userAgent.match(/Chrome\/([\d.]+)/)?.[1]);
  console.log(`year-card.xlsx (52 weeks), median of ${giri} alternating rounds after one warm-up, Chromium ${chromium}`);
  console.log('cold: the card layer\'s caches emptied first, as for bytes never seen; warm: the same bytes again;');
  console.log('written: on bytes the card layer has just written (ten other cells, untimed)');
  console.log('operation          cold (ms)  warm (ms)  written (ms)  exceljs 4.4.0 (ms)  exceljs/cold  exceljs/warm  exceljs/written');
  for (const r of righe) {
    console.log(`${nomi[r.nome].padEnd(18)} ${r.freddo.toFixed(1).padStart(9)} ${r.caldo.toFixed(1).padStart(10)} ${r.scritto.toFixed(1).padStart(13)}`
      + ` ${r.exceljs.toFixed(1).padStart(19)} ${(r.exceljs / r.freddo).toFixed(1).padStart(12)}x ${(r.exceljs / r.caldo).toFixed(1).padStart(12)}x`
      + ` ${(r.exceljs / r.scritto).toFixed(1).padStart(15)}x`);
  }
  console.log(`reading the 52-week sheet's XML alone: browser parser ${lettura.lettura.toFixed(1)} ms, the card layer's tree ${albero.lettura.toFixed(1)} ms (0 when the page has none)`);
  for (const nome of Object.keys(nomi)) {
    console.log(`\nCPU profile, ${nomi[nome]}: self time per run (ms) over ${GIRI_PROFILO} runs of each side`);
    console.log('     cold     warm  written  function');
    for (const [f, ms] of profili[nome]) console.log(`  ${ms.map((v) => v.toFixed(1).padStart(7)).join('  ')}  ${f}`);
  }
} finally {
  await p.chiudi();
}
