// What stands instead of the engine when it cannot run: missing engine files, an old
// browser, a canvas that cannot be drawn on, a card the engine refuses. The table stays usable.
import { test, before, after } from 'node:test';
import assert from 'node:assert/strict';
import { execFileSync } from 'node:child_process';
import { avvia, apriSchede, fixture, schedaAccanto, stilaroPronto, testoDi } from './banco.mjs';

let sito;

before(async () => {
  sito = await avvia();
  await schedaAccanto(sito, fixture('simple.xlsx'));
});

after(async () => {
  await sito?.chiudi();
});

async function copertura(page) {
  await page.waitForFunction(() => typeof stil !== 'undefined' && stil.errore !== '', null, { timeout: 20000 });
  return {
    testo: await page.$eval('#stCopri', (el) => [...el.querySelectorAll('b, p, button')].map((e) => e.textContent).join(' ')),
    bottoni: await page.$$eval('#stCopri button', (bs) => bs.map((b) => b.textContent)),
  };
}

test('missing engine files and an old browser each have their explanation', async () => {
  await sito.context.route('**/foglio/stilaro_wasm.js', (route) => route.fulfill({ status: 404, body: 'non trovato' }));
  try {
    const page = await apriSchede(sito);
    const c = await copertura(page);
    assert.equal(c.testo, 'Non riesco ad aprire Stilaro Mancano i file di Stilaro: la cartella «foglio» deve stare accanto a questa pagina. Riprova Usa la tabella');
    assert.deepEqual(c.bottoni, ['Riprova', 'Usa la tabella']);
    await page.close();
  } finally {
    await sito.context.unroute('**/foglio/stilaro_wasm.js');
  }
  const prima = sito.richieste.length;
  // Without decompression streams the page cannot read the card at all; without WebAssembly it can.
  const vecchio = await apriSchede(sito, { init: [() => { delete window.WebAssembly; }] });
  assert.match((await copertura(vecchio)).testo, /Questo browser è troppo vecchio per Stilaro: aggiornalo, oppure usa la tabella\./);
  // Told before anything is fetched.
  assert.deepEqual(sito.richieste.slice(prima).filter((p) => p.includes('/foglio/')), []);
  await vecchio.close();
});

test('a canvas that cannot be drawn on gets the graphics explanation; Riprova starts over once it can', async () => {
  const page = await apriSchede(sito, {
    init: [() => {
      const originale = HTMLCanvasElement.prototype.getContext;
      window.__senzaGrafica = true;
      HTMLCanvasElement.prototype.getContext = function (...a) { return window.__senzaGrafica ? null : originale.apply(this, a); };
    }],
  });
  assert.match((await copertura(page)).testo, /Il browser non riesce a disegnare Stilaro \(manca la grafica WebGL\): prova ad aggiornarlo o a riavviarlo\./);
  // Nothing runs while the error stands: no engine field was left in the page.
  assert.equal(await page.evaluate(() => stil.avviato || document.querySelectorAll('body > textarea').length), 0);
  await page.evaluate(() => { window.__senzaGrafica = false; });
  await page.getByRole('button', { name: 'Riprova' }).click();
  await stilaroPronto(page);
  assert.equal(await testoDi(page, 'stStato'), 'Si salva da solo');
  await page.close();
});

test('a card the engine refuses shows the detail, and "Usa la tabella" switches to the table', async () => {
  // A second sheet whose part is missing: the page reads the first, the engine refuses the file.
  const rotta = execFileSync('/usr/bin/python3', ['-c', `
import io, sys, zipfile
src = zipfile.ZipFile(sys.argv[1])
out = io.BytesIO()
with zipfile.ZipFile(out, 'w', zipfile.ZIP_DEFLATED) as z:
    for i in src.infolist():
        data = src.read(i.filename)
        if i.filename == 'xl/workbook.xml':
            data = data.replace(b'</sheets>', b'<sheet xmlns:r="http://schemas.openxmlformats.org/officeDocument/2006/relationships" name="Persa" sheetId="9" r:id="rIdPersa"/></sheets>')
        if i.filename == 'xl/_rels/workbook.xml.rels':
            data = data.replace(b'</Relationships>', b'<Relationship Id="rIdPersa" Type="http://schemas.openxmlformats.org/officeDocument/2006/relationships/worksheet" Target="worksheets/persa.xml"/></Relationships>')
        z.writestr(i, data)
sys.stdout.buffer.write(out.getvalue())
`, new URL('../../fixtures/cards/simple.xlsx', import.meta.url).pathname]);
  const page = await apriSchede(sito, { copia: rotta });
  const c = await copertura(page);
  assert.equal(c.testo, 'Non riesco ad aprire Stilaro Dettaglio: il file .xlsx sembra rovinato Riprova Usa la tabella');
  assert.equal(await page.evaluate(() => stil.avviato), false);
  await page.getByRole('button', { name: 'Usa la tabella' }).click();
  await page.waitForFunction(() => sk.vista === 'tabella');
  assert.equal(await page.evaluate(() => JSON.parse(localStorage.getItem('ts_xl_vista'))), 'tabella');
  assert.equal(await page.isVisible('#stPannello'), false);
  await page.close();
});
