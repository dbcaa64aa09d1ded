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
    'opacity:0;resize:none;overflow:hidden;white-space:pre;z-index:-1;font:15px "' + CELL_FAMILY + '", Carlito, Calibri, sans-serif';
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
