// What a member, a second tab, another program, another device and the instructor do to one
// card, as fast-check commands. Each command acts through the page as a person would and keeps
// the model's record of what must survive: the last value each actor typed in each box, and
// every week added and not undone.
import fc from 'fast-check';
import ExcelJS from 'exceljs';
import {
  ATLETA, CARTA, OGGETTO_CLOUD, SCHEDA, TIPO_XLSX, altroDispositivo, apriTab, caricata, chiudiTab, leggiFileFuori, quiete, righe,
  scriviFileFuori, stato,
} from './banco.mjs';

const colonne = ['E', 'F', 'G', 'H', 'I', 'J', 'K', 'L'];
// Each actor types in boxes of its own, so that a value may only be replaced by its own actor.
export const CELLE = {
  tab0: [8, 9].flatMap((r) => colonne.map((c) => c + r)),
  tab1: colonne.map((c) => c + 10),
  programma: colonne.slice(0, 4).map((c) => c + 11),
  dispositivo2: colonne.slice(0, 4).map((c) => c + 11),
  altro: colonne.slice(4).map((c) => c + 11),
};
export const SECONDA = 'Seconda.xlsx';
const ATTESA = { timeout: 30000 };

export function nuovoModello() {
  return { valori: new Map(), titoli: new Map(), passo: 0, vista: ['tabella', null], collegato: false, offline: false };
}

// The card the member sees in a tab, by what the page shows: the account box and the card's name.
async function cartaVista(page) {
  return page.evaluate(() => {
    const dentro = [...document.querySelectorAll('#skAccount button')].some((b) => b.textContent.trim() === 'Esci');
    const scelta = document.querySelector('#skNome select');
    const nome = scelta ? scelta.value : document.getElementById('skNome').textContent.trim();
    return { dentro, nome };
  }).then(({ dentro, nome }) => (dentro ? `cloud:${ATLETA.id}|${nome}` : `dispositivo|${nome}`));
}

function annota(m, carta, attore, cella, valore) {
  const v = { carta, attore, cella, valore, passo: m.passo, comando: m.corrente, detto: null };
  m.valori.set(`${carta}|${attore}|${cella}`, v);
  return v;
}

// The page's answer on the save line; a box it does not record (same text, no card) gets none.
async function rispostaSalva(page, prima) {
  await page.waitForFunction((n) => window.__righe.skSalva > n && $('skSalva').textContent !== 'Salvataggio…', prima, { timeout: 15000 }).catch(() => {});
  await quiete(page);
}

async function settimanaUno(page) {
  const scelta = page.locator('#xlStrumenti select[aria-label="Settimana"]');
  if (await scelta.count() && (await scelta.inputValue()) !== '0') await scelta.selectOption('0');
}

// Typing a load in the table: Tab to the next box, wait for the pause, or nothing at all (the next
// command, a close for instance, lands inside the pause).
class Scrivi {
  constructor(tab, i, valore, fine) { Object.assign(this, { tab, i, valore, fine }); }
  check(m) { return m.vista[this.tab] === 'tabella'; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const cella = CELLE['tab' + this.tab][this.i % CELLE['tab' + this.tab].length];
    await settimanaUno(page);
    const box = page.locator(`#xlTabella [data-r="${cella}"]`);
    if (!(await box.count())) return r.nota(`${this.constructor.name} : nessuna casella ${cella}`);
    const carta = await cartaVista(page);
    const prima = (await righe(page)).skSalva;
    await box.click();
    await page.keyboard.press('Control+A');
    await page.keyboard.type(this.valore);
    // A box redrawn under the fingers shows the member that the value did not go in.
    if (await box.count() !== 1 || (await box.innerText()).trim() !== this.valore) return r.nota(`${this.constructor.name} : la casella non mostra ${this.valore}`);
    if (await cartaVista(page) !== carta) return r.nota(`${this.constructor.name} : la scheda è cambiata sotto le dita`);
    const v = annota(m, carta, 'tab' + this.tab, cella, this.valore);
    if (this.fine === 'subito') return;
    if (this.fine === 'tab') await page.keyboard.press('Tab');
    else await page.waitForFunction(([rif, t]) => casellaScritta.get(document.querySelector(`#xlTabella [data-r="${rif}"]`)) === t, [cella, this.valore], ATTESA).catch(() => {});
    await rispostaSalva(page, prima);
    v.detto = await stato(page);
  }
}

async function stilaroPronto(page) {
  return page.waitForFunction(() => (stil.avviato && $('stCopri').hidden) || stil.errore, null, ATTESA)
    .then(() => page.evaluate(() => stil.avviato && !stil.errore)).catch(() => false);
}

// Typing in the engine: the engine saves after its own pause, or the next command comes first.
class ScriviStilaro {
  constructor(tab, i, valore, fine) { Object.assign(this, { tab, i, valore, fine }); }
  check(m) { return m.vista[this.tab] === 'stilaro'; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const cella = CELLE['tab' + this.tab][this.i % CELLE['tab' + this.tab].length];
    if (!(await stilaroPronto(page))) return r.nota(`${this.constructor.name} : Stilaro non è pronto`);
    const prima = (await righe(page)).stStato;
    // A click on the sheet gives the engine the keyboard; the box is then reached as with the arrows.
    await page.locator('#stFoglio').click({ position: { x: 200, y: 120 } });
    // The card is the one the engine shows, which a switch under way may not have replaced yet.
    const carta = await page.evaluate(() => stil.identita);
    await page.evaluate((rif) => stilaro.foglio_vai(rif), cella);
    await page.keyboard.type(this.valore);
    await page.keyboard.press('Enter');
    if (await page.evaluate(() => stil.identita) !== carta) return r.nota(`${this.constructor.name} : la scheda è cambiata sotto le dita`);
    if (!(await page.evaluate((n) => stilaro.foglio_da_salvare() || window.__righe.stStato > n, prima))) {
      return r.nota(`${this.constructor.name} : i tasti non sono arrivati a Stilaro`);
    }
    const v = annota(m, carta, 'tab' + this.tab, cella, this.valore);
    if (this.fine === 'subito') return;
    await page.waitForFunction((n) => window.__righe.stStato > n && !stilaro.foglio_da_salvare(), prima, ATTESA).catch(() => {});
    await quiete(page);
    v.detto = await stato(page);
  }
}

class Vista {
  constructor(tab) { this.tab = tab; }
  check(m) { return m.vista[this.tab] !== null; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const voluta = m.vista[this.tab] === 'tabella' ? 'stilaro' : 'tabella';
    const bottone = page.locator(`#skViste button[data-vista="${voluta}"]`);
    // No card shown (the account's cloud out of reach, say): no view to switch.
    if (!(await bottone.isVisible())) return r.nota(`${this.constructor.name} : nessun bottone`);
    await bottone.click();
    await page.evaluate(() => stil.coda);
    await quiete(page);
    if (voluta === 'stilaro') await stilaroPronto(page);
    m.vista[this.tab] = await page.evaluate(() => sk.vista);
  }
}

class NuovaSettimana {
  constructor(tab) { this.tab = tab; }
  check(m) { return m.vista[this.tab] !== null; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const bottone = page.locator('.settBottoni button[data-op="piu"]:visible').first();
    if (!(await bottone.count())) return r.nota(`${this.constructor.name} : nessun bottone`);
    const carta = await cartaVista(page);
    await bottone.click();
    await page.waitForFunction(() => !settimanaInCorso, null, ATTESA).catch(() => {});
    await quiete(page);
    const detto = await stato(page);
    const titolo = /Aggiunta la (.+?): /.exec(detto.messaggio);
    // A card still being switched to when the button was found: the week's card is not known.
    if (await cartaVista(page) !== carta) return r.nota(`${this.constructor.name} : la scheda è cambiata sotto le dita`);
    if (titolo) m.titoli.set(`${carta}|${titolo[1]}`, { carta, titolo: titolo[1], attore: 'tab' + this.tab, passo: m.passo, comando: m.corrente, detto });
    else r.nota(`${this.constructor.name} : ${detto.messaggio}`);
  }
}

class Annulla {
  constructor(tab) { this.tab = tab; }
  check(m) { return m.vista[this.tab] !== null; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const bottone = page.locator('.settBottoni button[data-op="annulla"]:visible').first();
    if (!(await bottone.count())) return r.nota(`${this.constructor.name} : nessun «Annulla»`);
    const carta = await cartaVista(page);
    const prima = await stato(page);
    await bottone.click();
    await page.waitForFunction(() => /Annullat|non la (toglie|rimette) più|Non|sbagliat/.test($('skMsg').textContent), null, ATTESA).catch(() => {});
    await quiete(page);
    const detto = await stato(page);
    // The engine's line says it too, when a message about the file written meanwhile took the other.
    const tolta = /tornata com'era prima della «(.+?)»/.exec(detto.messaggio)
      || (detto.stilaro !== prima.stilaro && /^↶ Tolta la (.+)$/.exec(detto.stilaro));
    if (tolta) m.titoli.delete(`${carta}|${tolta[1]}`);
    r.nota(`${this.constructor.name} : ${detto.messaggio}`);
  }
}

// The member left although the page asked first: what that tab still held is marked, so that a
// loss of it is told apart from a silent one.
function dopoDomanda(m, r, prima, tab) {
  if (!r.domande.slice(prima).some((d) => d.chi === 'tab ' + tab && d.tipo === 'beforeunload' && d.si)) return;
  for (const v of m.valori.values()) if (v.attore === 'tab' + tab && !/Salvato[^✓]*✓/.test(v.detto?.salva || '')) v.domanda = true;
}

// Closing a tab, with or without the leave-page question; the first tab is opened again.
class Chiudi {
  constructor(tab, domanda) { Object.assign(this, { tab, domanda }); }
  check(m) { return m.vista[this.tab] !== null; }
  async run(m, r) {
    const prima = r.domande.length;
    await chiudiTab(r, this.tab, this.domanda);
    dopoDomanda(m, r, prima, this.tab);
    m.vista[this.tab] = null;
    if (this.tab === 0) {
      const page = await apriTab(r, 0);
      m.vista[0] = await page.evaluate(() => sk.vista);
    }
  }
}

class Ricarica {
  constructor(tab) { this.tab = tab; }
  check(m) { return m.vista[this.tab] !== null; }
  async run(m, r) {
    const page = r.tab[this.tab];
    const prima = r.domande.length;
    await page.reload({ waitUntil: 'domcontentloaded' });
    dopoDomanda(m, r, prima, this.tab);
    await caricata(page);
    m.vista[this.tab] = await page.evaluate(() => sk.vista);
  }
}

class ApriSeconda {
  check(m) { return m.vista[1] === null; }
  async run(m, r) {
    const page = await apriTab(r, 1);
    m.vista[1] = await page.evaluate(() => sk.vista);
  }
}

// Another program (or the member with the office suite) saves the linked file.
async function conCella(bytes, cella, valore) {
  const wb = new ExcelJS.Workbook();
  await wb.xlsx.load(bytes);
  wb.worksheets[0].getCell(cella).value = Number(valore);
  return Buffer.from(await wb.xlsx.writeBuffer());
}

class FileFuori {
  constructor(i, valore) { Object.assign(this, { i, valore }); }
  check(m) { return m.collegato; }
  async run(m, r) {
    const bytes = await leggiFileFuori(r, SCHEDA);
    if (!bytes) return r.nota(`${this.constructor.name} : nessun file`);
    const cella = CELLE.programma[this.i % CELLE.programma.length];
    await scriviFileFuori(r, SCHEDA, await conCella(bytes, cella, this.valore));
    annota(m, 'dispositivo|' + SCHEDA, 'programma', cella, this.valore);
    // The member comes back to the browser window.
    for (const page of r.tab) if (page) await page.evaluate(() => window.dispatchEvent(new Event('focus')));
    for (const page of r.tab) if (page) await quiete(page);
  }
}

class Collega {
  constructor(mia) { this.mia = mia; }
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    const page = r.tab[0];
    const bottone = page.locator('#skBottoni button:has-text("Collega il file"), #skBottoni button:has-text("Cambia file")').first();
    if (!(await bottone.count())) return r.nota(`${this.constructor.name} : nessun bottone`);
    if (!(await leggiFileFuori(r, SCHEDA))) await scriviFileFuori(r, SCHEDA, CARTA);
    m.collegato = true;
    await page.evaluate((n) => { window.__scelto = n; }, SCHEDA);
    await bottone.click();
    await quiete(page);
    const scelta = page.locator('#skAvviso button', { hasText: this.mia ? 'Tieni quello fatto qui' : 'Tieni il file' });
    if (await scelta.count()) {
      await scelta.click();
      await quiete(page);
    }
    r.nota(`${this.constructor.name} : ${JSON.stringify(await stato(page))}`);
  }
}

async function dentro(page) {
  return page.evaluate(() => [...document.querySelectorAll('#skAccount button')].some((b) => b.textContent.trim() === 'Esci'));
}

class Entra {
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    const page = r.tab[0];
    if (await dentro(page)) return;
    await page.evaluate(() => go('area'));
    await page.locator('#accEmail').waitFor(ATTESA).catch(() => {});
    if (!(await page.locator('#accEmail').count())) return r.nota(`${this.constructor.name} : nessun modulo`);
    await page.fill('#accEmail', ATLETA.email);
    await page.fill('#accPw', ATLETA.password);
    await page.locator('form.aform button[type="submit"]').click();
    await page.waitForFunction(() => sk.utente || /\S/.test($('accMsg')?.textContent.replace('Entro…', '') || ''), null, ATTESA).catch(() => {});
    await page.evaluate(() => go('schede'));
    for (const p of r.tab) if (p) await quiete(p);
  }
}

// Signing out here, or in the second tab (opened for it if needed): this tab then only hears
// of it from the cloud's client, as after a session that ended.
class Esci {
  constructor(tab) { this.tab = tab; }
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    if (!(await dentro(r.tab[0]))) return;
    if (!r.tab[this.tab]) m.vista[this.tab] = await (await apriTab(r, this.tab)).evaluate(() => sk.vista);
    const page = r.tab[this.tab];
    await page.locator('#skAccount button', { hasText: /^Esci$/ }).click();
    for (const p of r.tab) if (p) await p.waitForFunction(() => !sk.utente, null, ATTESA).catch(() => {});
    for (const p of r.tab) if (p) await quiete(p);
  }
}

// The athlete's second device, or his instructor, writes the cloud card.
class AltroDispositivo {
  constructor(i, valore) { Object.assign(this, { i, valore }); }
  check() { return true; }
  async run(m, r) {
    const cella = CELLE.altro[this.i % CELLE.altro.length];
    // Written only on the version it was made from, as a careful client would: a save of the page
    // landing meanwhile is read again, never overwritten by this writer.
    for (;;) {
      const o = r.f.oggetti.get(OGGETTO_CLOUD);
      if (!o) return r.nota(`${this.constructor.name} : nessun oggetto`);
      const nuovo = await conCella(Buffer.from(o.byte), cella, this.valore);
      if (r.f.oggetti.get(OGGETTO_CLOUD) !== o) continue;
      r.f.oggetti.set(OGGETTO_CLOUD, { byte: nuovo, tipo: TIPO_XLSX });
      break;
    }
    annota(m, `cloud:${ATLETA.id}|${SCHEDA}`, 'altro', cella, this.valore);
  }
}

// The athlete types in the table of his second device, on the cloud card.
class SecondoDispositivo {
  constructor(i, valore) { Object.assign(this, { i, valore }); }
  check() { return true; }
  async run(m, r) {
    const page = await altroDispositivo(r);
    const cella = CELLE.dispositivo2[this.i % CELLE.dispositivo2.length];
    await settimanaUno(page);
    const box = page.locator(`#xlTabella [data-r="${cella}"]`);
    if (!(await box.count())) return r.nota(`${this.constructor.name} : nessuna casella ${cella}`);
    const prima = (await righe(page)).skSalva;
    await box.click();
    await page.keyboard.press('Control+A');
    await page.keyboard.type(this.valore);
    const v = annota(m, `cloud:${ATLETA.id}|${SCHEDA}`, 'dispositivo2', cella, this.valore);
    await page.keyboard.press('Tab');
    await rispostaSalva(page, prima);
    v.detto = await stato(page);
  }
}

// A card added from a file, and a switch between cards.
class AggiungiScheda {
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    const page = r.tab[0];
    const bottone = page.locator('#skBottoni button', { hasText: 'Aggiungi scheda' }).first();
    if (!(await bottone.count())) return r.nota(`${this.constructor.name} : nessun bottone`);
    const scelta = page.waitForEvent('filechooser', ATTESA);
    const prima = (await righe(page)).skMsg;
    const domande = r.domande.length;
    await bottone.click();
    await (await scelta).setFiles({ name: SECONDA, mimeType: 'application/octet-stream', buffer: CARTA });
    await page.waitForFunction((n) => window.__righe.skMsg > n, prima, ATTESA).catch(() => {});
    await quiete(page);
    r.nota(`${this.constructor.name} : ${(await stato(page)).messaggio}`);
    // Replacing a card of the same name, once the member said yes, drops what it held.
    if (r.domande.slice(domande).some((d) => /La sostituisco con questo file/.test(d.testo) && d.si)) {
      const carta = (await cartaVista(page)).replace(/\|.*$/, '|' + SECONDA);
      for (const [k, v] of m.valori) if (v.carta === carta) m.valori.delete(k);
      for (const [k, t] of m.titoli) if (t.carta === carta) m.titoli.delete(k);
    }
  }
}

class CambiaScheda {
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    const page = r.tab[0];
    const scelta = page.locator('#skNome select');
    if (!(await scelta.count())) return r.nota(`${this.constructor.name} : una scheda sola`);
    const nomi = await scelta.evaluate((s) => [...s.options].map((o) => o.value));
    const ora = await scelta.inputValue();
    const altra = nomi.find((n) => n !== ora);
    await scelta.selectOption(altra);
    await quiete(page);
  }
}

// A failure armed for the next write of the browser store, the linked file or the cloud.
class Guasto {
  constructor(tipo) { this.tipo = tipo; }
  check(m) { return m.vista[0] !== null; }
  async run(m, r) {
    if (this.tipo === 'cloud') r.f.guasti = 1;
    else await r.tab[0].evaluate((k) => localStorage.setItem(k, '1'), '__guasto_' + this.tipo);
  }
}

class Offline {
  check() { return true; }
  async run(m, r) {
    m.offline = !m.offline;
    r.rete.offline = m.offline;
  }
}

// Commands are written as JSON arrays, ["Scrivi", 0, 3, "455", "tab"], so that a walk found once
// replays from its text whatever the generators become.
const CLASSI = {
  Scrivi, ScriviStilaro, Vista, NuovaSettimana, Annulla, Chiudi, Ricarica, ApriSeconda, FileFuori, Collega, Entra, Esci,
  AltroDispositivo, SecondoDispositivo, AggiungiScheda, CambiaScheda, Guasto, Offline,
};

export function comando(nome, ...args) {
  const c = new CLASSI[nome](...args);
  return {
    check: (m) => c.check(m),
    async run(m, r) {
      m.passo++;
      m.corrente = JSON.stringify([nome, ...args]);
      r.registro(`${m.passo}. ${JSON.stringify([nome, ...args])}`);
      await c.run(m, r);
    },
    toString: () => JSON.stringify([nome, ...args]),
  };
}

const valore = fc.integer({ min: 101, max: 999 }).map(String);
const tab = fc.constantFrom(0, 0, 1);
const indice = fc.nat(15);
const fine = fc.constantFrom('tab', 'attesa', 'subito');

// Typing and the moves that race with it come up more often than the rest.
const scrivi = fc.tuple(tab, indice, valore, fine).map((a) => comando('Scrivi', ...a));
const scriviStilaro = fc.tuple(tab, indice, valore, fc.constantFrom('attesa', 'subito')).map((a) => comando('ScriviStilaro', ...a));
const vista = tab.map((t) => comando('Vista', t));
const chiudi = fc.tuple(tab, fc.boolean()).map((a) => comando('Chiudi', ...a));
const entra = fc.constant(comando('Entra'));
const altro = fc.tuple(indice, valore).map((a) => comando('AltroDispositivo', ...a));

export const COMANDI = [
  scrivi, scrivi, scrivi, scriviStilaro, scriviStilaro, scriviStilaro, vista, vista, chiudi, chiudi, entra, altro,
  tab.map((t) => comando('NuovaSettimana', t)),
  tab.map((t) => comando('Annulla', t)),
  tab.map((t) => comando('Ricarica', t)),
  fc.constant(comando('ApriSeconda')),
  fc.tuple(indice, valore).map((a) => comando('FileFuori', ...a)),
  fc.boolean().map((b) => comando('Collega', b)),
  fc.constantFrom(0, 1).map((t) => comando('Esci', t)),
  fc.tuple(indice, valore).map((a) => comando('SecondoDispositivo', ...a)),
  fc.constant(comando('AggiungiScheda')),
  fc.constant(comando('CambiaScheda')),
  fc.constantFrom('idb', 'file', 'cloud').map((t) => comando('Guasto', t)),
  fc.constant(comando('Offline')),
];
