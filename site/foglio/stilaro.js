// Stilaro, the training card's spreadsheet engine: glue between the page and its module.
(function () {
'use strict';
// The module's memory. Views are made again after any call that may have grown
// it; text and bytes cross the boundary through buffers the module allocates.
const encoder = new TextEncoder();
const decoder = new TextDecoder();
let wasm = null;  // the instance's exports
let heap = null;
let u8 = null;
let u32 = null;
let f32 = null;

function views() {
  if (wasm.memory.buffer !== heap) {
    heap = wasm.memory.buffer;
    u8 = new Uint8Array(heap);
    u32 = new Uint32Array(heap);
    f32 = new Float32Array(heap);
  }
}

function withBytes(bytes, call) {
  const ptr = wasm.st_alloc(bytes.length);
  views();
  u8.set(bytes, ptr);
  try {
    return call(ptr, bytes.length);
  } finally {
    wasm.st_free(ptr);
  }
}

function withText(text, call) {
  return withBytes(encoder.encode(text), call);
}

// The module's last answer (text or bytes) sits in its output buffer.
function outputBytes() {
  views();
  const ptr = wasm.st_out_ptr();
  return u8.slice(ptr, ptr + wasm.st_out_len());
}

function outputText() {
  views();
  const ptr = wasm.st_out_ptr();
  return decoder.decode(u8.subarray(ptr, ptr + wasm.st_out_len()));
}

function outputFloats(count) {
  views();
  const at = wasm.st_out_ptr() >> 2;
  return Array.from(f32.subarray(at, at + count));
}
// The initialiser: compiles and instantiates the module with the few system
// calls it imports, then runs its static constructors.
const ownScript = document.currentScript ? document.currentScript.src : '';
let initialising = null;

function systemImports() {
  return {
    env: { emscripten_notify_memory_growth: () => {} },
    wasi_snapshot_preview1: {
      proc_exit: (code) => { throw new Error('Stilaro si è fermato (codice ' + code + ')'); },
      // The module's calendar is the user's: the wall clock is handed over as if
      // it were UTC, so the module's dates (TODAY) match the user's day.
      clock_time_get: (id, precision, out) => {
        views();
        const now = Date.now() - new Date().getTimezoneOffset() * 60000;
        new DataView(heap).setBigUint64(out, BigInt(now) * 1000000n, true);
        return 0;
      },
    },
  };
}

// Any other system call the module may name answers "not supported" (ENOSYS).
function importsFor(module) {
  const known = systemImports();
  for (const { module: from, name, kind } of WebAssembly.Module.imports(module)) {
    if (kind !== 'function') continue;
    known[from] = known[from] || {};
    if (!known[from][name]) known[from][name] = () => 52;
  }
  return known;
}

async function compile(source) {
  source = await source;
  if (source instanceof WebAssembly.Module) return source;
  if (source instanceof ArrayBuffer || ArrayBuffer.isView(source)) return WebAssembly.compile(source);
  const response = source instanceof Response ? source : await fetch(source);
  if (!response.ok) throw new Error('non trovo ' + response.url);
  return WebAssembly.compile(await response.arrayBuffer());
}

async function instantiate(source) {
  const module = await compile(source);
  const instance = await WebAssembly.instantiate(module, importsFor(module));
  wasm = instance.exports;
  heap = null;
  wasm._initialize();
  views();
}

function stilaro(options) {
  if (!initialising) {
    const given = options && options.module_or_path !== undefined;
    const source = given ? options.module_or_path : ownScript.replace(/\.js(\?.*)?$/, '_bg.wasm');
    initialising = instantiate(source).catch((error) => {
      initialising = null;
      throw error;
    });
  }
  return initialising;
}
// Replays the module's display list on the canvas 2D context. Coordinates come
// in CSS pixels and are snapped to device pixels so one-pixel lines stay sharp.
const colours = new Map();
// Whatever font a cell names, its text is drawn with Calibri's metrics, as the layout measured it.
const FONT = 'px Carlito, Calibri, sans-serif';

function cssColour(argb) {
  let css = colours.get(argb);
  if (!css) {
    const a = (argb >>> 24) / 255;
    css = 'rgba(' + ((argb >>> 16) & 255) + ',' + ((argb >>> 8) & 255) + ',' + (argb & 255) + ',' + a + ')';
    colours.set(argb, css);
  }
  return css;
}

const DASHES = [[], [3, 2], [1, 1], []];
const ALIGNS = ['left', 'center', 'right'];

// The context's state as last set here: runs of cells that look alike set it
// once. A restore (unclip) or a helper that sets it itself makes it unknown.
class PenState {
  constructor(ctx, dpr) {
    this.ctx = ctx;
    this.dpr = dpr;
    this.forget();
  }

  forget() {
    this.fill = this.stroke = this.width = this.dash = this.align = this.size = this.style = -1;
  }

  fillColour(argb) {
    if (argb !== this.fill) this.ctx.fillStyle = cssColour(this.fill = argb);
  }

  strokeColour(argb) {
    if (argb !== this.stroke) this.ctx.strokeStyle = cssColour(this.stroke = argb);
  }

  lineWidth(width) {
    if (width !== this.width) this.ctx.lineWidth = this.width = width;
  }

  lineDash(dash) {
    if (dash !== this.dash) this.ctx.setLineDash(DASHES[this.dash = dash].map((d) => d * this.dpr));
  }

  font(flags, size) {
    const style = flags & 12;
    if (size !== this.size || style !== this.style) {
      this.ctx.font = (flags & 8 ? 'italic ' : '') + (flags & 4 ? 'bold ' : '') + size.toFixed(2) + FONT;
      this.size = size;
      this.style = style;
    }
    if ((flags & 3) !== this.align) this.ctx.textAlign = ALIGNS[this.align = flags & 3];
  }
}

function drawList(ctx, dpr) {
  views();
  const listAt = wasm.st_list_words() >> 2;
  const end = listAt + wasm.st_list_count();
  const poolAt = wasm.st_list_strings();
  const text = (k) => decoder.decode(u8.subarray(poolAt + u32[k], poolAt + u32[k] + u32[k + 1]));
  const px = (v) => Math.round(v * dpr);
  const pen = new PenState(ctx, dpr);
  ctx.setTransform(1, 0, 0, 1, 0, 0);
  ctx.textBaseline = 'alphabetic';
  let i = listAt;
  while (i < end) {
    switch (u32[i++]) {
      case 1: {  // rect
        const x = px(f32[i]), y = px(f32[i + 1]);
        pen.fillColour(u32[i + 4]);
        ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        i += 5;
        break;
      }
      case 2: {  // line
        const width = Math.max(1, Math.round(f32[i + 4] * dpr));
        const half = width % 2 ? 0.5 : 0;
        let x1 = px(f32[i]), y1 = px(f32[i + 1]), x2 = px(f32[i + 2]), y2 = px(f32[i + 3]);
        if (y1 === y2) { y1 += half; y2 += half; }
        if (x1 === x2) { x1 += half; x2 += half; }
        pen.strokeColour(u32[i + 5]);
        pen.lineWidth(width);
        pen.lineDash(u32[i + 6]);
        ctx.beginPath();
        ctx.moveTo(x1, y1);
        ctx.lineTo(x2, y2);
        ctx.stroke();
        i += 7;
        break;
      }
      case 3: {  // text
        const flags = u32[i + 3];
        const size = f32[i + 4] * dpr;
        pen.font(flags, size);
        pen.fillColour(u32[i + 2]);
        const x = f32[i] * dpr, y = f32[i + 1] * dpr;
        const run = text(i + 5);
        ctx.fillText(run, x, y);
        if (flags & 48) {
          const width = ctx.measureText(run).width;
          const from = (flags & 3) === 0 ? x : (flags & 3) === 1 ? x - width / 2 : x - width;
          ctx.fillRect(from, flags & 16 ? y + size * 0.1 : y - size * 0.28, width, Math.max(1, size / 14));
        }
        i += 7;
        break;
      }
      case 4: {  // clip
        const x = px(f32[i]), y = px(f32[i + 1]);
        ctx.save();
        ctx.beginPath();
        ctx.rect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        ctx.clip();
        i += 4;
        break;
      }
      case 5:  // unclip
        ctx.restore();
        pen.forget();
        break;
      case 6: {  // filter button
        drawFilterButton(ctx, px(f32[i]), px(f32[i + 1]), px(f32[i + 2]), px(f32[i + 3]), u32[i + 4] === 1, dpr);
        pen.forget();
        i += 5;
        break;
      }
      case 7: {  // frame
        const width = Math.max(1, Math.round(f32[i + 4] * dpr));
        const x = px(f32[i]), y = px(f32[i + 1]);
        pen.strokeColour(u32[i + 5]);
        pen.lineWidth(width);
        pen.lineDash(0);
        ctx.strokeRect(x + width / 2, y + width / 2, px(f32[i] + f32[i + 2]) - x - width, px(f32[i + 1] + f32[i + 3]) - y - width);
        i += 6;
        break;
      }
      case 8: {  // pattern
        const x = px(f32[i]), y = px(f32[i + 1]);
        if (u32[i + 6] >>> 24) {
          pen.fillColour(u32[i + 6]);
          ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        }
        ctx.fillStyle = hatchPattern(ctx, u32[i + 4], u32[i + 5], dpr);
        pen.fill = -1;
        ctx.fillRect(x, y, px(f32[i] + f32[i + 2]) - x, px(f32[i + 1] + f32[i + 3]) - y);
        i += 7;
        break;
      }
      case 9: {  // path
        const count = u32[i];
        ctx.beginPath();
        for (let k = 0; k < count; k++) {
          const x = f32[i + 4 + 2 * k] * dpr, y = f32[i + 5 + 2 * k] * dpr;
          if (k === 0) ctx.moveTo(x, y); else ctx.lineTo(x, y);
        }
        if (u32[i + 3]) {
          ctx.closePath();
          pen.fillColour(u32[i + 2]);
          ctx.fill();
        } else {
          pen.strokeColour(u32[i + 2]);
          pen.lineWidth(Math.max(1, f32[i + 1] * dpr));
          ctx.lineJoin = 'round';
          pen.lineDash(0);
          ctx.stroke();
        }
        i += 4 + 2 * count;
        break;
      }
      default:
        throw new Error('Stilaro: elenco di disegno guasto');
    }
  }
}

// One tile per hatch and colour, repeated over the cell: an 8-pixel cell of dots or lines
// in the order of the Hatch names (darkGray … lightTrellis).
const hatches = new Map();
const HATCH_TILES = [
  null,
  ['xxx.xxx.', 'x.xxx.xx', 'xxx.xxx.', 'x.xxx.xx'],  // darkGray
  ['x.x.x.x.', '.x.x.x.x'],  // mediumGray
  ['x...x...', '..x...x.', 'x...x...', '..x...x.'],  // lightGray
  ['x.......', '........', '....x...', '........'],  // gray125
  ['x.......', '........', '........', '........', '....x...', '........', '........', '........'],  // gray0625
  ['xxxxxxxx', 'xxxxxxxx', '........', '........'],  // darkHorizontal
  ['xx..xx..'],  // darkVertical
  ['xx..', '.xx.', '..xx', 'x..x'],  // darkDown
  ['..xx', '.xx.', 'xx..', 'x..x'],  // darkUp
  ['xxxx', 'xxxx', 'xx..', 'xx..'],  // darkGrid
  ['xx..', 'xxxx', '..xx', 'xxxx'],  // darkTrellis
  ['xxxx', '....', '....', '....'],  // lightHorizontal
  ['x...'],  // lightVertical
  ['x...', '.x..', '..x.', '...x'],  // lightDown
  ['...x', '..x.', '.x..', 'x...'],  // lightUp
  ['xxxx', 'x...', 'x...', 'x...'],  // lightGrid
  ['x.x.', '.x..', 'x.x.', '...x'],  // lightTrellis
];

function hatchPattern(ctx, hatch, argb, dpr) {
  const key = hatch + ':' + argb + ':' + dpr;
  let made = hatches.get(key);
  if (made) return made;
  const rows = HATCH_TILES[hatch] || HATCH_TILES[2];
  const scale = Math.max(1, Math.round(dpr));
  const tile = document.createElement('canvas');
  tile.width = rows[0].length * scale;
  tile.height = rows.length * scale;
  const t = tile.getContext('2d');
  t.fillStyle = cssColour(argb);
  rows.forEach((row, y) => {
    for (let x = 0; x < row.length; x++) if (row[x] === 'x') t.fillRect(x * scale, y * scale, scale, scale);
  });
  made = ctx.createPattern(tile, 'repeat');
  hatches.set(key, made);
  return made;
}

function drawFilterButton(ctx, x, y, w, h, active, dpr) {
  ctx.fillStyle = active ? '#dbe6f8' : '#ffffff';
  ctx.fillRect(x, y, w, h);
  ctx.strokeStyle = active ? '#1a56b0' : '#8e8e9c';
  ctx.lineWidth = 1;
  ctx.setLineDash([]);
  ctx.strokeRect(x + 0.5, y + 0.5, w - 1, h - 1);
  const cx = x + w / 2, cy = y + h / 2, s = 3 * dpr;
  ctx.fillStyle = active ? '#1a56b0' : '#3a3a44';
  ctx.beginPath();
  if (active) {  // a funnel: the column is filtered
    ctx.moveTo(cx - s * 1.3, cy - s);
    ctx.lineTo(cx + s * 1.3, cy - s);
    ctx.lineTo(cx + s * 0.3, cy + 0.1 * s);
    ctx.lineTo(cx + s * 0.3, cy + s * 1.2);
    ctx.lineTo(cx - s * 0.3, cy + s * 0.8);
    ctx.lineTo(cx - s * 0.3, cy + 0.1 * s);
  } else {
    ctx.moveTo(cx - s, cy - s / 2);
    ctx.lineTo(cx + s, cy - s / 2);
    ctx.lineTo(cx, cy + s / 2 + 1);
  }
  ctx.closePath();
  ctx.fill();
}
// Events of the running engine: the hidden text field that receives typing
// (IME-safe), keys, pointer and touch, wheel, clipboard and size changes.
// Each call into the module answers with these flags:
const REDRAW = 1, CHANGED = 2, EDIT_SYNC = 4, HANDLED = 8, EDIT_END = 16;

const KEY_CODES = {
  Enter: 1, Tab: 2, Escape: 3, ArrowLeft: 4, ArrowRight: 5, ArrowUp: 6, ArrowDown: 7,
  Home: 8, End: 9, PageUp: 10, PageDown: 11, F2: 12, Delete: 13, Backspace: 14,
};
const LETTER_CODES = { z: 20, y: 21, a: 22, g: 23 };
const BROWSER_KEYS = 'sfdbiuopa';
// Presses this close in time and place count as one double-click (Chromium
// leaves PointerEvent.detail at 0, so clicks are counted here).
const DOUBLE_CLICK_MS = 500, DOUBLE_CLICK_PX = 4;

function modifiers(e) {
  return (e.shiftKey ? 1 : 0) | (e.ctrlKey || e.metaKey ? 2 : 0) | (e.altKey ? 4 : 0);
}

function attachInput(view) {
  const { canvas } = view;
  const field = document.createElement('textarea');
  field.setAttribute('aria-label', 'Stilaro: scrivi nella cella');
  field.setAttribute('autocomplete', 'off');
  field.setAttribute('autocorrect', 'off');
  field.setAttribute('autocapitalize', 'off');
  field.spellcheck = false;
  field.style.cssText = 'position:fixed;left:0;top:0;width:1px;height:1px;padding:0;border:0;margin:0;' +
    'opacity:0;resize:none;overflow:hidden;white-space:pre;z-index:-1;font:15px Carlito, Calibri, sans-serif';
  document.body.appendChild(field);
  view.field = field;
  canvas.tabIndex = canvas.tabIndex >= 0 ? canvas.tabIndex : 0;
  canvas.style.touchAction = 'none';

  const focusField = () => field.focus({ preventScroll: true });
  const owns = () => document.activeElement === field || document.activeElement === canvas;
  const sendField = () => withText(field.value, (ptr, len) =>
    view.apply(wasm.st_input(ptr, len, field.selectionStart, field.selectionEnd)));
  const at = (e) => {
    const box = canvas.getBoundingClientRect();
    return [e.clientX - box.left, e.clientY - box.top];
  };

  const on = (target, type, handler, options) => {
    target.addEventListener(type, handler, options);
    view.listeners.push(() => target.removeEventListener(type, handler, options));
  };

  on(canvas, 'focus', focusField);
  on(field, 'input', sendField);
  on(field, 'compositionend', sendField);
  on(field, 'keydown', (e) => {
    if (e.isComposing || e.keyCode === 229) return;
    const mods = modifiers(e);
    const letter = e.key.length === 1 ? e.key.toLowerCase() : '';
    let code = KEY_CODES[e.key] || 0;
    if (!code && mods === 2 && LETTER_CODES[letter]) code = LETTER_CODES[letter];
    if (code) {
      const flags = view.apply(wasm.st_key(code, mods));
      if (flags & HANDLED) {
        e.preventDefault();
        return;
      }
    }
    if ((mods & 2) && !(mods & 4) && letter && BROWSER_KEYS.includes(letter)) e.preventDefault();
    // Keys the field handles itself (caret moves while editing) are reported after they act.
    if (!code || !(e.ctrlKey || e.metaKey)) setTimeout(() => view.running && view.apply(wasm.st_caret(field.selectionStart, field.selectionEnd)), 0);
  });

  const clip = (e, cut) => {
    if (!owns() || wasm.st_editing()) return;
    const flags = cut ? wasm.st_cut() : wasm.st_copy();
    e.clipboardData.setData('text/plain', outputText());
    e.preventDefault();
    view.apply(flags);
  };
  on(document, 'copy', (e) => clip(e, false));
  on(document, 'cut', (e) => clip(e, true));
  on(document, 'paste', (e) => {
    if (!owns() || wasm.st_editing()) return;
    e.preventDefault();
    withText(e.clipboardData.getData('text/plain'), (ptr, len) => view.apply(wasm.st_paste(ptr, len)));
  });

  // Pointer: mouse and pen select; one finger scrolls (a tap selects); two pinch.
  const touches = new Map();
  let pinch = null;
  let tap = null;
  let press = { time: -Infinity, x: 0, y: 0, count: 0 };
  const countClick = (e, x, y) => {
    const again = e.timeStamp - press.time <= DOUBLE_CLICK_MS && Math.hypot(x - press.x, y - press.y) <= DOUBLE_CLICK_PX;
    press = { time: e.timeStamp, x, y, count: again ? press.count + 1 : 1 };
    return press.count;
  };
  on(canvas, 'pointerdown', (e) => {
    e.preventDefault();
    focusField();
    canvas.setPointerCapture(e.pointerId);
    const [x, y] = at(e);
    if (e.pointerType === 'touch') {
      touches.set(e.pointerId, [x, y]);
      tap = touches.size === 1 ? { x, y, moved: false } : null;
      if (touches.size === 2) {
        const [a, b] = [...touches.values()];
        pinch = Math.hypot(a[0] - b[0], a[1] - b[1]);
      }
      return;
    }
    view.apply(wasm.st_pointer(0, x, y, e.button, modifiers(e), countClick(e, x, y)));
  });
  on(canvas, 'pointermove', (e) => {
    const [x, y] = at(e);
    if (e.pointerType === 'touch') {
      const last = touches.get(e.pointerId);
      if (!last) return;
      touches.set(e.pointerId, [x, y]);
      if (touches.size === 2 && pinch) {
        const [a, b] = [...touches.values()];
        const distance = Math.hypot(a[0] - b[0], a[1] - b[1]);
        view.apply(wasm.st_zoom(distance / pinch, (a[0] + b[0]) / 2, (a[1] + b[1]) / 2));
        pinch = distance;
      } else if (touches.size === 1) {
        if (tap && Math.hypot(x - tap.x, y - tap.y) > 8) tap.moved = true;
        if (!tap || tap.moved) view.apply(wasm.st_scroll(last[0] - x, last[1] - y));
      }
      return;
    }
    view.apply(wasm.st_pointer(1, x, y, e.button, modifiers(e), 0));
    canvas.style.cursor = ['default', 'cell', 'col-resize', 'row-resize', 'pointer', 'text'][wasm.st_cursor()] || 'default';
  });
  const release = (e) => {
    const [x, y] = at(e);
    if (e.pointerType === 'touch') {
      touches.delete(e.pointerId);
      if (touches.size < 2) pinch = null;
      if (tap && !tap.moved && e.type === 'pointerup') {
        view.apply(wasm.st_pointer(0, x, y, 0, 0, 1));
        view.apply(wasm.st_pointer(2, x, y, 0, 0, 1));
      }
      tap = null;
      return;
    }
    view.apply(wasm.st_pointer(2, x, y, e.button, modifiers(e), 0));
  };
  on(canvas, 'pointerup', release);
  on(canvas, 'pointercancel', release);
  on(canvas, 'wheel', (e) => {
    e.preventDefault();
    const unit = e.deltaMode === 1 ? 20 : e.deltaMode === 2 ? canvas.clientHeight : 1;
    if (e.ctrlKey) {
      const [x, y] = at(e);
      view.apply(wasm.st_zoom(Math.exp(-e.deltaY * unit / 300), x, y));
    } else {
      const dx = e.shiftKey && !e.deltaX ? e.deltaY : e.deltaX;
      const dy = e.shiftKey && !e.deltaX ? 0 : e.deltaY;
      view.apply(wasm.st_scroll(dx * unit, dy * unit));
    }
  }, { passive: false });

  const observer = new ResizeObserver(() => view.resize());
  observer.observe(canvas);
  // Browser zoom changes the pixel ratio, not always the canvas's CSS size.
  on(window, 'resize', () => view.resize());
  view.listeners.push(() => observer.disconnect());
}

// Keeps the hidden field over the cell being edited, so the IME's window opens there.
function placeField(view) {
  wasm.st_field_box();
  const [x, y, w, h, size] = outputFloats(5);
  const box = view.canvas.getBoundingClientRect();
  const field = view.field;
  field.style.left = box.left + x + 'px';
  field.style.top = box.top + y + 'px';
  field.style.width = Math.max(1, w) + 'px';
  field.style.height = Math.max(1, h) + 'px';
  field.style.fontSize = size + 'px';
}
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
})();
