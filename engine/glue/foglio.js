// The operations the page calls, and the save protocol: a change is saved
// shortly after the user stops, at once on foglio_conferma, and counts as
// unsaved until the page answers a save that contains it with true.
const SAVE_DELAY_MS = 1000;
let view = null;  // the running engine on its canvas
let waitingGoto = null;  // a foglio_vai that arrived before the workbook
let generation = 0;  // counts the workbooks opened, so answers about older ones are told apart
// Saves handed to the page and not yet answered, oldest first: each foglio_esito
// answers the oldest, whichever workbook (or engine start) it was made for.
const flights = [];

function toBytes(data) {
  if (data instanceof Uint8Array) return data;
  if (data instanceof ArrayBuffer) return new Uint8Array(data);
  if (ArrayBuffer.isView(data)) return new Uint8Array(data.buffer, data.byteOffset, data.byteLength);
  if (Array.isArray(data)) return Uint8Array.from(data);
  if (data === undefined || data === null) return new Uint8Array(0);
  throw new TypeError('Stilaro: la scheda deve essere fatta di byte');
}

function needEngine() {
  if (!wasm) throw new Error('Stilaro non è ancora inizializzato');
}

function openWorkbook(bytes) {
  const failed = withBytes(bytes, (ptr, len) => wasm.st_open(ptr, len));
  if (failed) throw new Error(outputText());
}

class EngineView {
  constructor(canvas, save) {
    this.canvas = canvas;
    this.save = save;
    this.listeners = [];
    this.running = true;
    this.frame = 0;
    this.timer = 0;
    this.generation = 0;  // of the workbook shown; 0 until one is open
    this.saved = 0;  // the last revision the page confirmed written
    this.again = false;  // a save was asked for while another was out
    this.size = '';  // the canvas size the module last laid out for
    this.context = canvas.getContext('2d', { alpha: false });
    if (!this.context) throw new Error('Stilaro non riesce a disegnare sul canvas');
  }

  opened() {
    this.generation = ++generation;
    this.saved = wasm.st_revision();
    this.again = false;
    clearTimeout(this.timer);
    if (waitingGoto !== null) {
      const ref = waitingGoto;
      waitingGoto = null;
      try {
        goTo(ref);
      } catch (error) {
        console.warn(error.message);
      }
    }
    this.size = '';
    this.resize();
  }

  apply(flags) {
    if (!this.running) return flags;
    if (flags & EDIT_SYNC) {
      const caret = wasm.st_edit_text();
      this.field.value = outputText();
      this.field.setSelectionRange(caret, caret);
    }
    if (flags & EDIT_END) this.field.value = '';
    if (flags & CHANGED) this.scheduleSave();
    if (flags & (REDRAW | EDIT_SYNC | EDIT_END | CHANGED)) this.invalidate();
    return flags;
  }

  // Lays out and paints for the canvas's size; the observer's first report of an
  // unchanged size, and window resizes that leave the canvas alone, cost nothing.
  resize() {
    const dpr = window.devicePixelRatio || 1;
    const w = this.canvas.clientWidth, h = this.canvas.clientHeight;
    const size = w + ' ' + h + ' ' + dpr;
    if (size === this.size) return;
    this.size = size;
    const pw = Math.max(1, Math.round(w * dpr)), ph = Math.max(1, Math.round(h * dpr));
    if (this.canvas.width !== pw) this.canvas.width = pw;
    if (this.canvas.height !== ph) this.canvas.height = ph;
    wasm.st_resize(w, h, dpr);
    this.paint();
  }

  invalidate() {
    if (!this.frame) this.frame = requestAnimationFrame(() => this.paint());
  }

  paint() {
    if (this.frame) cancelAnimationFrame(this.frame);
    this.frame = 0;
    if (!this.running) return;
    wasm.st_paint();
    drawList(this.context, this.canvas.width / Math.max(1, this.canvas.clientWidth));
    placeField(this);
  }

  unsaved() {
    return wasm.st_revision() !== this.saved || wasm.st_editing_changed() !== 0;
  }

  scheduleSave() {
    clearTimeout(this.timer);
    this.timer = setTimeout(() => this.saveNow(), SAVE_DELAY_MS);
  }

  saveNow() {
    clearTimeout(this.timer);
    if (!this.running) return;
    if (flights.some((f) => f.generation === this.generation)) {
      this.again = true;
      return;
    }
    const revision = wasm.st_revision();
    if (revision === this.saved) return;
    if (wasm.st_save()) {
      console.error('Stilaro: ' + outputText());
      return;
    }
    const bytes = outputBytes();
    const flight = { generation: this.generation, revision };
    flights.push(flight);
    try {
      this.save(bytes);
    } catch (error) {
      flights.splice(flights.indexOf(flight), 1);
      console.error(error);
    }
  }

  answered(flight, ok) {
    if (flight.generation !== this.generation) return;
    if (ok) this.saved = Math.max(this.saved, flight.revision);
    if (this.again) {
      this.again = false;
      this.saveNow();
    } else if (ok && wasm.st_revision() !== this.saved) {
      this.scheduleSave();
    }
  }

  stop() {
    this.running = false;
    clearTimeout(this.timer);
    if (this.frame) cancelAnimationFrame(this.frame);
    for (const remove of this.listeners.splice(0)) remove();
    if (this.field) this.field.remove();
    wasm.st_close();
  }
}

function goTo(ref) {
  const failed = withText(String(ref), (ptr, len) => wasm.st_goto(ptr, len));
  if (failed) throw new Error('Stilaro non trova «' + ref + '»');
  view.apply(REDRAW | EDIT_END);
}

async function foglio_avvia(canvas, bytes, save) {
  needEngine();
  if (view) foglio_ferma();
  if (typeof save !== 'function') throw new TypeError('Stilaro: manca la funzione che salva');
  const data = toBytes(bytes);
  view = new EngineView(canvas, save);
  try {
    attachInput(view);
    openWorkbook(data);
    view.opened();
    if (document.activeElement === document.body || !document.activeElement) view.field.focus({ preventScroll: true });
  } catch (error) {
    view.stop();
    view = null;
    throw error;
  }
}

function foglio_carica(bytes) {
  if (!view) throw new Error('Stilaro non è avviato');
  wasm.st_cancel_edit();
  openWorkbook(toBytes(bytes));
  view.field.value = '';
  view.opened();
}

function foglio_conferma() {
  if (!view) return;
  view.apply(wasm.st_commit());
  view.saveNow();
}

function foglio_da_salvare() {
  return view ? view.unsaved() : false;
}

function foglio_esito(ok, text) {
  const flight = flights.shift();
  if (!ok && text) console.warn('Stilaro: salvataggio non riuscito: ' + text);
  if (flight && view) view.answered(flight, ok === true);
}

function foglio_ferma() {
  if (!view) return;
  const stopping = view;
  view = null;
  waitingGoto = null;
  stopping.stop();
}

function foglio_vai(ref) {
  if (!view || !view.generation) {
    waitingGoto = String(ref);
    return;
  }
  goTo(ref);
}

stilaro.foglio_avvia = foglio_avvia;
stilaro.foglio_carica = foglio_carica;
stilaro.foglio_conferma = foglio_conferma;
stilaro.foglio_da_salvare = foglio_da_salvare;
stilaro.foglio_esito = foglio_esito;
stilaro.foglio_ferma = foglio_ferma;
stilaro.foglio_vai = foglio_vai;
self.stilaro = stilaro;
